// The form of a row's fields in a store file: every kind of field value
// reads back as it was written, and a damaged form never reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "embedded/store/field_blob.h"
#include "platform/ostrel/errors.h"
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

TEST(FieldBlob, EveryKindOfFieldValueReadsBackExactly) {
  const FieldList fields = {
      {"Empty", com::Variant()},
      {"Small", com::Variant(int16_t{-32768})},
      {"Int", com::Variant(int32_t{2147483647})},
      {"Single", com::Variant(0.1f)},
      {"Double", com::Variant(-1e308)},
      {"When", com::Variant(com::Date{46000.75})},
      {"Yes", com::Variant(true)},
      {"No", com::Variant(false)},
      {"Blank", com::Variant("")},
      {"Имя", com::Variant("Служебная записка")},
      {"Long", com::Variant(std::string(70000, 'q'))},
      {"Zero", com::Variant(std::string("a\0b", 3))},
      {std::string(200, 'n'), com::Variant(int32_t{1})},  // a name whose length takes two bytes
  };
  std::string blob;
  EncodeFields(fields, blob);
  // Written as a row, the names' parts made once, the form is the same;
  // Null values are left out.
  std::vector<std::string> name_parts;
  std::vector<com::Variant> values;
  for (const auto& [name, value] : fields) {
    name_parts.push_back(EncodedName(name));
    values.push_back(value);
    name_parts.push_back(EncodedName("Unset"));
    values.push_back(com::Variant::Null());
  }
  std::string row = "left from before";
  EncodeRow(name_parts.data(), values.data(), values.size(), row);
  EXPECT_EQ(row, blob);
  // A value no field holds fails the row, naming its field.
  values[4] = com::Variant(com::Variant::Array{});
  try {
    EncodeRow(name_parts.data(), values.data(), values.size(), row);
    ADD_FAILURE() << "an array was written";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), ostrel::err::kStorageFailure);
    EXPECT_NE(e.description().find("\"" + fields[2].first + "\""), std::string::npos) << e.description();
  }
  auto back = DecodeFields(blob);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ((*back)[i].first, fields[i].first);
    EXPECT_EQ((*back)[i].second, fields[i].second) << fields[i].first;  // type and value
  }
  EXPECT_EQ(DecodeFields(""), FieldList{});
}

TEST(FieldBlob, ADamagedFormDoesNotRead) {
  std::string good;
  EncodeFields({{"Name", com::Variant("text")}, {"N", com::Variant(int32_t{7})}}, good);
  // Every cut of the form but the one between its fields leaves a field half.
  const size_t between = good.find('N', 6) - 1;
  for (size_t n = 1; n < good.size(); ++n) {
    if (n == between) continue;
    EXPECT_FALSE(DecodeFields(good.substr(0, n))) << n;
  }
  const std::string cases[] = {
      std::string("\x04Name\x63", 6),          // an unknown type
      std::string("\x04Name\x0B\x02", 7),      // a Boolean that is neither 0 nor 1
      std::string("\x00\x03\x01\x00\x00\x00", 6),  // a field without a name
      std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x01", 11),  // a length past any blob
  };
  for (const std::string& bad : cases) EXPECT_FALSE(DecodeFields(bad));
}

TEST(FieldBlob, ValuesNoFieldHoldsAreRefused) {
  std::string blob;
  EXPECT_EQ(CodeOf([&] { EncodeFields({{"Arr", com::Variant(com::Variant::Array{})}}, blob); }),
            ostrel::err::kStorageFailure);
  EXPECT_EQ(CodeOf([&] { EncodeFields({{"Err", com::Variant::Missing()}}, blob); }), ostrel::err::kStorageFailure);
  EXPECT_EQ(blob, "") << "a refused value leaves nothing half-written";
}

}  // namespace
}  // namespace embedded::testing
