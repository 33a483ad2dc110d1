// sections.h: the eight sections of the SLP configuration report.
//
// Each section opens with an empty line, its heading and the underline, then writes its rows;
// calling a section twice prints it twice, with every property looked up anew.
#pragma once

#include "slpconf/rows.h"

// Has the SLP library read its configuration, by looking one property up: on its first look-up
// the library reads its files and notes on standard error what in them it could not use. Called
// before anything of the report is written, it puts those notes before the report rather than
// inside its first section.
void readConfiguration();

void printSectionHeader(const char* heading);

void printOperationalParameters();
void printStaticConfiguration();
void printAgentConfiguration();
void printDADiscovery();
void printTimers();
void printNetworkProperties();
void printSecurity();
void printTracing();
