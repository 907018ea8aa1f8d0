#pragma once

// One Qt Test executable per module, made of several test classes. Each test
// file registers its class with TZC3_TEST(Class); test_main.cpp runs them all.

#include <QObject>
#include <functional>
#include <utility>
#include <vector>

namespace testreg {
using Factory = std::function<QObject *()>;
inline std::vector<std::pair<const char *, Factory>> &all() {
    static std::vector<std::pair<const char *, Factory>> v;
    return v;
}
struct Registrar {
    Registrar(const char *name, Factory f) { all().emplace_back(name, std::move(f)); }
};
} // namespace testreg

#define TZC3_TEST(Class)                                                                           \
    static testreg::Registrar tzc3_registrar_##Class(#Class, [] { return new Class; });
