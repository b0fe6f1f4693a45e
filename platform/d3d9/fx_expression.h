// Constant expressions of effect source: #if conditions, array sizes and literal initialisers.
// Integers are 64-bit and wrap; a float operand makes the operation a float one, except for
// the operators that need integers (%, shifts, bitwise), which then fail.
#pragma once

#include "platform/d3d9/fx_token.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::d3dx::fx {

struct ConstValue {
    bool isFloat = false;
    std::int64_t i = 0;
    double f = 0.0;

    static ConstValue Int(std::int64_t v) { return ConstValue{false, v, 0.0}; }
    static ConstValue Float(double v) { return ConstValue{true, 0, v}; }
    double AsDouble() const { return isFloat ? f : static_cast<double>(i); }
    bool IsTrue() const { return isFloat ? f != 0.0 : i != 0; }
};

// The value of an identifier, or none when it is not a constant.
using IdentifierResolver = std::function<std::optional<ConstValue>(const std::string& name)>;

// A numeric literal with its suffix (1, 0x1F, 010, 2u, 1.5f, .5, 1e3, 2.0h); none when malformed.
std::optional<ConstValue> ParseNumber(const std::string& text);

// The whole token list as one expression; none (with the reason in `error`) when it is not a
// constant expression. The identifiers true and false are 1 and 0.
std::optional<ConstValue> EvaluateConstant(const std::vector<Token>& tokens, const IdentifierResolver& resolve,
                                           std::string& error);

}  // namespace platform::d3dx::fx
