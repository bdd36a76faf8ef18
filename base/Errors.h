#pragma once
// Error types shared by every layer.
//
//  - TSilentAbort: the operation was abandoned after the one who noticed the problem (a value
//    field) already told the user; whoever catches it shows nothing more.
//  - TCalcError: an arithmetic failure inside a calculation (a logarithm or root out of range,
//    a division by zero, a non-finite result). Its text says where and with which value.
//  - TInputError: a text that should hold a number does not (a packing column, the foaming
//    factor, the design percentage).
#include <stdexcept>
#include <string>

namespace velm {

struct TSilentAbort {};

class TCalcError : public std::runtime_error {
 public:
  explicit TCalcError(const std::string& what) : std::runtime_error(what) {}
};

class TInputError : public std::runtime_error {
 public:
  explicit TInputError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace velm
