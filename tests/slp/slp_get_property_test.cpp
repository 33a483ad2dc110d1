// slp_get_property_test.cpp: SLPGetProperty loads its files once per process.
#include <slp.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/temp_file.h"

namespace {

// Runs in a process of its own, where nothing has called SLPGetProperty yet; returns what went
// wrong, or nothing.
std::string filesReadOnceFault() {
  const TempDir dir;
  const std::string first = dir.write("first.conf", "net.slp.useScopes = SALES\n");
  setenv("OpenSLPConfig", first.c_str(), 1);

  if (SLPGetProperty(nullptr) != nullptr) return "a null name has a value";
  const char* scopes = SLPGetProperty("net.slp.useScopes");
  if (scopes == nullptr || std::strcmp(scopes, "SALES") != 0) {
    return "OpenSLPConfig not applied: " + std::string(scopes ? scopes : "(null)");
  }
  if (SLPGetProperty("net.slp.noSuchKey") != nullptr) return "an unknown key has a value";

  dir.write("first.conf", "net.slp.useScopes = CHANGED\n");
  const std::string second = dir.write("second.conf", "net.slp.useScopes = SECOND\n");
  setenv("OpenSLPConfig", second.c_str(), 1);
  const char* again = SLPGetProperty("net.slp.useScopes");
  if (again != scopes) return "the value moved or was reloaded";
  if (std::strcmp(scopes, "SALES") != 0) return "the value changed: " + std::string(scopes);
  return "";
}

}  // namespace

TEST(SLPGetProperty, ReadsItsFilesOncePerProcess) {
  // A fresh process, even when other tests of this binary have run in this one.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string fault = filesReadOnceFault();
        std::fprintf(stderr, "%s\n", fault.c_str());
        std::exit(fault.empty() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}
