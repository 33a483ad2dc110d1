/* slp.h: the one call of the SLP API (RFC 2614) that tolvane makes, as the built-in
   configuration store provides it. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Returns the value of the SLP configuration property pcName as a NUL-terminated string that
   the library owns, or a null pointer when the library has no such property. */
const char* SLPGetProperty(const char* pcName);

#ifdef __cplusplus
}
#endif
