// Windows command-line text: splitting into arguments and quoting them back.
#pragma once

#include <string>
#include <vector>

// Splits a command line with the rules of CommandLineToArgvW: white space
// separates arguments, double quotes group, 2n backslashes before a quote give
// n backslashes and open/close the group, 2n+1 give n and a literal quote.
std::vector<std::u16string> SplitCommandLine(const std::u16string& text);

// Quotes one argument so that SplitCommandLine gives it back unchanged.
std::u16string QuoteArgument(const std::u16string& argument);

// Joins arguments into one command-line text.
std::u16string JoinCommandLine(const std::vector<std::u16string>& arguments);
