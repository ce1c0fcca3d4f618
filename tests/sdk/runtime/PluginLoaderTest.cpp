// The loader in-process.
#include "sdk/runtime/PluginLoader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "sdk/base/LogApi.h"
#include "sdk/runtime/PluginManagerTypes.h"
#include "tests/sdk/base/LogTesting.h"

namespace Zarn::Client {
namespace {

struct Watch {
  int registerCalls = 0;
  bool managerTypesFirst = false;
};

class TestPlugin : public Plugin {
 public:
  explicit TestPlugin(Watch* watch) : watch_(watch) {}

  void OnRegisterApi() override {
    ++watch_->registerCalls;
    watch_->managerTypesFirst = Registry() == &GetRegistry() &&
                                GetRegistry().FindTypeById(TypeId<Resource>().id) != nullptr;
    static_cast<void>(GetRegistry().RegisterType(4, "TestThing", TypeId<uint32_t>(), false));
  }

 private:
  Watch* watch_;
};

PluginLoadResult CoreRecord(uint32_t major, uint32_t minor, uint32_t patch) {
  PluginLoadResult record;
  std::memset(&record, 0xA5, sizeof record);  // reply words the plugin must not touch
  record.major = major;
  record.minor = minor;
  record.patch = patch;
  return record;
}

Host::PluginHost::Options HostOptions() {
  Host::PluginHost::Options options;
  options.pluginPath = "/nonexistent";
  options.hostContext = 77;
  return options;
}

TEST(PluginLoaderTest, AnIncompatibleCoreIsReportedAndTheRecordLeftAlone) {
  const uint32_t cores[][3] = {{17, 0, 0}, {17, 9, 9}, {19, 0, 0}, {19, 4, 2}};
  for (const auto& core : cores) {
    const std::string coreText =
        std::to_string(core[0]) + "." + std::to_string(core[1]) + "." + std::to_string(core[2]);
    SCOPED_TRACE(coreText);
    Watch watch;
    TestPlugin plugin(&watch);
    Testing::RecordingLogTarget target;
    target.Attach();
    PluginLoadResult record = CoreRecord(core[0], core[1], core[2]);
    const PluginLoadResult before = record;

    EXPECT_FALSE(LoadPlugin(&plugin, &record, "jyx-lobby"));
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    EXPECT_EQ(watch.registerCalls, 0);
    EXPECT_EQ(plugin.Info().shortName, "");
    const auto lines = target.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, 2);
    EXPECT_EQ(lines[0].channels, 1u);
    EXPECT_EQ(lines[0].message,
              "Assertion failed!\n\nExpression: ALE-EECF0606\n\nDescription: jyx-lobby which "
              "supports plugin API 18.0.0 is not compatible with core's plugin API " +
                  coreText);
  }
}

TEST(PluginLoaderTest, ACompatibleCoreGetsTheReply) {
  Watch watch;
  TestPlugin plugin(&watch);
  PluginLoadResult record = CoreRecord(18, 3, 1);
  ASSERT_TRUE(LoadPlugin(&plugin, &record, "jyx-lobby"));

  EXPECT_EQ(record.major, 18u);
  EXPECT_EQ(record.minor, 0u);
  EXPECT_EQ(record.patch, 0u);
  EXPECT_EQ(record.entryPoints, plugin.EntryPoints());
  EXPECT_EQ(record.plugin, static_cast<void*>(&plugin));
  EXPECT_STREQ(record.shortName, "jyx-lobby");
  EXPECT_EQ(record.shortName, plugin.Info().shortName.c_str());
  EXPECT_EQ(record.snapshot, &plugin.Snapshot());

  EXPECT_EQ(plugin.Info().fullName, "bfz-be-jyx-lobby");
  EXPECT_EQ(plugin.Info().kind.type, "backend");
  EXPECT_EQ(plugin.CamelCaseName(), "JyxLobby");
  EXPECT_EQ(plugin.HelpCategories(), (std::vector<std::string>{"Plugins", "Plugin jyx-lobby"}));
  EXPECT_EQ(FormatVersion(plugin.CoreApiVersion()), "18.3.1");
  EXPECT_EQ(watch.registerCalls, 1);
  EXPECT_TRUE(watch.managerTypesFirst);

  bool sawOwnType = false;
  for (const ApiTypeDescriptor* type = record.snapshot->types; type != nullptr; type = type->next) {
    sawOwnType = sawOwnType || std::strcmp(type->name, "TestThing") == 0;
  }
  EXPECT_TRUE(sawOwnType) << "the snapshot is built after the plugin registered its API";
  EXPECT_EQ(record.snapshot->functionCount, 0u);
}

TEST(PluginLoaderTest, TheUserAgentNamesTheCoreAndThePlugin) {
  Watch watch;
  TestPlugin plugin(&watch);
  PluginLoadResult record = CoreRecord(18, 3, 1);
  ASSERT_TRUE(LoadPlugin(&plugin, &record, "jyx-lobby"));
  Host::PluginHost host(HostOptions());
  PluginHostInit init{host.Table(), 77};
  ASSERT_TRUE(plugin.Initialize(&init));
  EXPECT_EQ(plugin.UserAgent(), "ZarnClient/18.3.1 (jyx-lobby)");
  EXPECT_EQ(plugin.Name(), "jyx-lobby");
  EXPECT_EQ(plugin.Registry(), &plugin.GetRegistry());
}

}  // namespace
}  // namespace Zarn::Client
