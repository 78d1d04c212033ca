#pragma once
// What iniv --help and iniv --version print.
#include <string>

std::string HelpText();
std::string VersionText();
