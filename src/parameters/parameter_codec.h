#pragma once

// The controller keeps the parameters in three 8-byte blocks, "00", "10" and
// "11", carried as 16 hexadecimal characters each. Writing sends the block
// address and its 16 characters; reading returns them in reply characters 6
// to 21.

#include "state/parameter_set.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace params {

inline const QStringList kBlocks = {QStringLiteral("00"), QStringLiteral("10"),
                                    QStringLiteral("11")};

// The three 18-character write texts (address + 16 characters). With the
// default check box checked parameters 11 to 13 go as "02". nullopt when a
// value overflows its 16-bit arithmetic.
std::optional<QStringList> encodeParameterBlocks(const ParameterSet &p, bool useDefault);

// The item labels ("1,", "4-OUT," ...) of values the blocks cannot carry as
// they are: a value wider than its place (it would go as "X" and shift the
// rest of the block) or an OUT or BK of 10 or more (they share one two-digit
// decimal field). Empty when every value fits.
QString itemsBlocksCannotCarry(const ParameterSet &p, bool useDefault);

// Decodes one block's 16 characters into ParameterSlots slots 1 to 10 and 13 to 16
// (the spares in slots 11 and 12 are left alone). Parameters 11 to 13 are
// taken only when `takeDetails` (details shown, default box unchecked),
// otherwise they become 2.
void decodeParameterBlock(const QString &address, const QString &data, ParameterSlots &da,
                          bool takeDetails);

} // namespace params
