#pragma once

// The controller's 13 operating parameters (plus two spare values) and ParameterSlots,
// the exchange array through which a file or the controller delivers them.
// The slot order is fixed by the .pmt file and the standard lists: parameter
// 10 (homing method) comes last, after the spares and parameters 11 to 13.

#include <QString>
#include <QVariant>
#include <array>

struct ParameterSet {
    qint32 strokeLength = 0;       // 1  pulses
    qint32 homeOffset = 0;         // 2
    qint16 homePushing = 0;        // 3
    qint16 homeOutPort = 0;        // 4 OUT: 0 none, 1 OUT1, 2 OUT2, 3 both
    qint16 homeOutBk = 0;          // 4 BK: 0 none, 1 brake, 2 current-down, 3 both
    qint16 homingVelocity = 0;     // 5
    qint16 offsetVelocity = 0;     // 6
    qint16 vel1 = 0;               // 7
    qint16 vel2 = 0;               // 8
    qint16 vel3 = 0;               // 9
    qint16 spareA = 0;             // not shown; 0 from the editor
    qint16 spareB = 0;             // not shown; 2 from the editor
    qint16 currentReleaseTime = 0; // 11  x 5 ms
    qint16 brakeReleaseTime = 0;   // 12  x 5 ms
    qint16 brakeExecTime = 0;      // 13  x 5 ms
    qint16 homingMethod = 0;       // 10  0 pushing, 1 sensor

    bool operator==(const ParameterSet &) const = default;
};

// Slot 0 the source title, slots 1 to 16 the values in the order above; a
// slot holds a number (double), a text or nothing (invalid QVariant). Every
// read overwrites the slots it reads and leaves the others.
struct ParameterSlots {
    static constexpr int Slots = 21;
    std::array<QVariant, Slots> slot;
    int valueCount = 0; // how many values the last file held (15: an RP file)

    QVariant &operator[](int i) { return slot.at(i); }
    const QVariant &operator[](int i) const { return slot.at(i); }
    // Numeric value of a slot: text through the leading-number rule, nothing is 0.
    double number(int i) const;
};

// Copies slots 1 to 16 into the set: 1-2 as 32-bit, 3-16 as 16-bit integers,
// halves to the even neighbour. False (set unchanged) when a value does not fit.
bool takeParameterSlots(const ParameterSlots &da, ParameterSet &p);
