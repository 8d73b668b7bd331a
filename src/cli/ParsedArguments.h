#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvset::cli {

// One word of a command's arguments as its usage reads it: an option with its value, or an operand.
struct ParsedArgument {
    std::string text;                       // the option's name ("--pause"), or the operand itself
    std::optional<std::string> value = {};  // an option's value; nullopt for a switch or a missing one
    bool option = false;                    // a word beginning "--" before any "--" of its own
    bool declared = false;                  // an option that the command's usage names
    bool afterEnd = false;                  // an operand that followed "--"
    std::size_t index = 0;                  // where it stands among the arguments
};

// A command's arguments read once against its usage: every option and operand in the order given, so
// that a command refusing the first wrong word finds the one it found before.
struct ParsedArguments {
    std::vector<ParsedArgument> inOrder;

    // Whether the declared option `name` was given (at least once).
    bool Has(std::string_view name) const;
    // The value the declared option `name` was last given; nullopt when never given or without value.
    std::optional<std::string> Value(std::string_view name) const;
    // Every value of the declared option `name`, in order (a given one without value is left out).
    std::vector<std::string> Values(std::string_view name) const;
    // The operands, in order.
    std::vector<std::string> Operands() const;
    // The first option that the usage does not declare; nullptr for none.
    const ParsedArgument* FirstUndeclared() const;
};

}  // namespace qvset::cli
