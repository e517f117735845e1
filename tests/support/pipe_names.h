// Pipe names for tests that listen on pipes of their own.
#pragma once

#include <string>

// A pipe name no other test or process uses.
std::string UniquePipeName();
