// sections.h: the eight sections of the SLP configuration report.
//
// Each section opens with an empty line, its heading and the underline, then writes its rows;
// calling a section twice prints it twice, with every property looked up anew.
#pragma once

#include "slpconf/rows.h"

void printSectionHeader(const char* heading);

void printOperationalParameters();
void printStaticConfiguration();
void printAgentConfiguration();
void printDADiscovery();
void printTimers();
void printNetworkProperties();
void printSecurity();
void printTracing();
