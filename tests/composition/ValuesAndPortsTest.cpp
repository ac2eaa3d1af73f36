// Values, port stores and port text: what hosts and plug-ins exchange outside the GL work.
#include <gtest/gtest.h>

#include "platform/composition/QCPorts.h"
#include "platform/composition/QCValue.h"
#include "platform/composition/host/QCPortText.h"

using namespace platform::composition;

TEST(QCValue, ConvertsAsThePlatformsObjectsDo) {
  for (const char* yes : {"YES", "yes", "true", "T", "1", "  +0002", "9 lives"}) EXPECT_TRUE(QCValue(yes).boolValue()) << yes;
  for (const char* no : {"NO", "false", "0", "000", "", "  ", "-0", "maybe", "0.5"}) EXPECT_FALSE(QCValue(no).boolValue()) << no;
  EXPECT_TRUE(QCValue(0.5).boolValue());
  EXPECT_FALSE(QCValue(0.0).boolValue());
  EXPECT_FALSE(QCValue().boolValue());

  EXPECT_EQ(QCValue(" 2.5kHz").doubleValue(), 2.5);
  EXPECT_EQ(QCValue("-1e3").doubleValue(), -1000);
  EXPECT_EQ(QCValue(".25").doubleValue(), 0.25);
  EXPECT_EQ(QCValue("loud").doubleValue(), 0);
  EXPECT_EQ(QCValue("0x10").doubleValue(), 0);
  EXPECT_EQ(QCValue("nan").doubleValue(), 0);
  EXPECT_EQ(QCValue(true).doubleValue(), 1);
  EXPECT_EQ(QCValue().doubleValue(), 0);
  EXPECT_EQ(QCValue(0.1).floatValue(), 0.1f);
  EXPECT_EQ(QCValue(0.25).stringValue(), "0.25");
  EXPECT_EQ(QCValue(false).stringValue(), "0");
}

namespace {

QCPortStore sampleStore() {
  using A = QCPortAttributes;
  return QCPortStore({
      {{"inputCount", QCPropertyType::UnsignedInteger}, A{"Count", 7.9, 1.0, 100.0, std::nullopt, {}}},
      {{"inputMode", QCPropertyType::Index}, A{"Mode", 1.0, 0.0, 2.0, QCPortTypeIndex, {"Fast", "Fine", "Best"}}},
      {{"inputLevel", QCPropertyType::Double}, A{"Level", 0.5, 0.0, 1.0, std::nullopt, {}}},
      {{"inputNegative", QCPropertyType::UnsignedInteger}, A{"Negative", -3.0, std::nullopt, std::nullopt, std::nullopt, {}}},
      {{"inputList", QCPropertyType::Structure}, std::nullopt},
      {{"outputImage", QCPropertyType::Image}, A{"Image", std::nullopt, std::nullopt, std::nullopt, std::nullopt, {}}},
  });
}

}  // namespace

TEST(QCPortStore, DefaultsTypesAndDirections) {
  QCPortStore store = sampleStore();
  EXPECT_EQ(std::get<uint64_t>(*store.value("inputCount")), 7u) << "the whole part of the default";
  EXPECT_EQ(std::get<uint64_t>(*store.value("inputMode")), 1u);
  EXPECT_EQ(std::get<double>(*store.value("inputLevel")), 0.5);
  EXPECT_EQ(std::get<uint64_t>(*store.value("inputNegative")), 0u);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(*store.value("inputList")));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(*store.value("outputImage")));
  EXPECT_EQ(store.value("inputMissing"), nullptr);

  EXPECT_TRUE(store.setInputValue("inputLevel", 0.75));
  EXPECT_FALSE(store.setInputValue("inputLevel", uint64_t(1))) << "wrong type";
  EXPECT_FALSE(store.setInputValue("inputCount", 2.0)) << "wrong type";
  EXPECT_FALSE(store.setInputValue("inputMissing", 1.0));
  EXPECT_FALSE(store.setInputValue("outputImage", std::monostate{})) << "hosts do not write outputs";
  EXPECT_FALSE(store.setOutputValue("inputLevel", 0.1)) << "plug-ins do not write inputs";
  EXPECT_FALSE(store.setInputValue("inputCount", std::monostate{})) << "numbers always have a value";
  EXPECT_TRUE(store.setInputValue("inputList", QCStructure{1, 2}));
  EXPECT_TRUE(store.setInputValue("inputList", std::monostate{}));
  EXPECT_TRUE(store.setOutputValue("outputImage", QCImageProviderRef()));
  EXPECT_EQ(std::get<double>(*store.value("inputLevel")), 0.75);
  EXPECT_TRUE(isInputKey("inputX"));
  EXPECT_FALSE(isInputKey("input"));
  EXPECT_FALSE(isOutputKey("inputX"));
}

TEST(QCPortText, ParsesWithinTheAttributes) {
  QCPortStore store = sampleStore();
  std::string error;
  auto parse = [&](const char* key, const char* text) { return parsePortValue(*store.port(key), text, error); };

  EXPECT_EQ(std::get<uint64_t>(*parse("inputCount", " 42 ")), 42u);
  for (const char* bad : {"-1", "1.5", "", "0", "101", "4x", "99999999999999999999999"})
    EXPECT_FALSE(parse("inputCount", bad)) << bad;
  EXPECT_FALSE(parse("inputCount", "0"));
  EXPECT_EQ(error, "inputCount must lie between 1 and 100");

  EXPECT_EQ(std::get<uint64_t>(*parse("inputMode", "best")), 2u) << "menu items by name, any case";
  EXPECT_EQ(std::get<uint64_t>(*parse("inputMode", "1")), 1u);
  EXPECT_FALSE(parse("inputMode", "3"));
  EXPECT_FALSE(parse("inputMode", "Slow"));
  EXPECT_NE(error.find("menu item"), std::string::npos) << error;

  EXPECT_EQ(std::get<double>(*parse("inputLevel", "0.25")), 0.25);
  for (const char* bad : {"1.5", "-0.1", "nan", "inf", "half", ""}) EXPECT_FALSE(parse("inputLevel", bad)) << bad;

  EXPECT_EQ(std::get<QCStructure>(*parse("inputList", "0.5, 1,2e-1")), (QCStructure{0.5, 1, 0.2}));
  EXPECT_TRUE(std::get<QCStructure>(*parse("inputList", "")).empty());
  EXPECT_FALSE(parse("inputList", "1,,2"));
  EXPECT_FALSE(parse("inputList", "1,x"));
  EXPECT_FALSE(parse("outputImage", ""));
  EXPECT_NE(error.find("image"), std::string::npos);
}
