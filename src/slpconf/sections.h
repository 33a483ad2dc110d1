// sections.h: the eight sections of the SLP configuration report.
//
// Each section opens with an empty line, its heading and the underline, then writes its rows;
// calling a section twice prints it twice, with every property looked up anew.
#pragma once

// Marks a text for the message catalogue where it is translated later, at the point of use.
#define N_(text) text

void printSectionHeader(const char* heading);

void printOperationalParameters();
void printStaticConfiguration();
void printAgentConfiguration();
void printDADiscovery();
void printTimers();
void printNetworkProperties();
void printSecurity();
void printTracing();
