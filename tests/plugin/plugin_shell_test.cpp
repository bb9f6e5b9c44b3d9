#include "plugin/plugin_shell.h"

#include <gtest/gtest.h>

#include <cstring>

#include "plugin/host_api.h"

namespace pictolumen {
namespace {

TEST(HostVersionPredatesSetStatus, OnlyShortVersionsBelow2_00_06) {
  EXPECT_TRUE(HostVersionPredatesSetStatus("2.00.05"));
  EXPECT_TRUE(HostVersionPredatesSetStatus("1.99"));
  EXPECT_TRUE(HostVersionPredatesSetStatus(""));
  EXPECT_FALSE(HostVersionPredatesSetStatus("2.00.06"));
  EXPECT_FALSE(HostVersionPredatesSetStatus("2.75.00"));
  EXPECT_FALSE(HostVersionPredatesSetStatus("2.00.055"));  // 8 bytes
  EXPECT_FALSE(HostVersionPredatesSetStatus("2.00.0a"));
}

TEST(FillPluginInfo, WritesFourTerminatedFieldsAndLeavesTheRest) {
  char record[320];
  std::memset(record, '#', sizeof record);
  FillPluginInfo(record);
  EXPECT_STREQ(record, "Pictolumen Ver.1.50");
  EXPECT_EQ(record[20], '#');
  EXPECT_STREQ(record + 80, "Qelvo");
  EXPECT_STREQ(record + 160, "1.50");
  const std::string description(record + 240);
  EXPECT_EQ(description.size(), 76u);
  EXPECT_EQ(description.substr(0, 4), "\x8C\x67\x91\xD1");  // 携帯
  EXPECT_EQ(record[240 + 77], '#');
}

}  // namespace
}  // namespace pictolumen
