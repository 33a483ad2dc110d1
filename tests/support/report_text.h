// report_text.h: the fixed texts that open every report.
#pragma once
#include <string>

inline const std::string kStars(59, '*');
inline const std::string kBanner = "\n" + kStars +
                                   "\n***\t\tBrastock Network Client\t\t\t***\n"
                                   "***\t\tService Location Protocol\t\t***\n" +
                                   kStars + "\n\n";
