#include "sdk/runtime/PluginApiVersion.h"

#include <gtest/gtest.h>

namespace Zarn::Client {
namespace {

PluginApiVersion Version(uint32_t major, uint32_t minor, uint32_t patch) {
  return PluginApiVersion{major, minor, patch, {}, {}};
}

TEST(PluginApiVersionTest, CoresThatMayLoadAPlugin) {
  struct Case {
    PluginApiVersion plugin;
    PluginApiVersion core;
    bool compatible;
  };
  const Case cases[] = {
      {Version(18, 0, 0), Version(18, 0, 0), true},  {Version(18, 0, 0), Version(18, 0, 7), true},
      {Version(18, 0, 0), Version(18, 3, 0), true},  {Version(18, 0, 0), Version(18, 3, 1), true},
      {Version(18, 0, 0), Version(17, 9, 9), false}, {Version(18, 0, 0), Version(19, 0, 0), false},
      {Version(18, 0, 5), Version(18, 1, 0), true},  {Version(18, 0, 5), Version(18, 0, 4), false},
      {Version(18, 2, 5), Version(18, 1, 9), false}, {Version(18, 2, 5), Version(18, 2, 4), false},
      {Version(18, 2, 5), Version(18, 2, 5), true},  {Version(18, 2, 5), Version(18, 3, 0), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FormatVersion(c.plugin) + " on core " + FormatVersion(c.core));
    EXPECT_EQ(IsPluginApiCompatible(c.plugin, c.core), c.compatible);
  }
}

TEST(PluginApiVersionTest, VersionTexts) {
  struct Case {
    PluginApiVersion version;
    const char* text;
  };
  const Case cases[] = {
      {kPluginApiVersion, "18.0.0"},
      {{18, 0, 0, "rc1", "7"}, "18.0.0-rc1+7"},
      {{18, 0, 0, "", "7"}, "18.0.0+7"},
      {{1, 22, 333, "beta", ""}, "1.22.333-beta"},
      {{4294967295u, 0, 1, "", ""}, "4294967295.0.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatVersion(c.version), c.text);
  }
}

}  // namespace
}  // namespace Zarn::Client
