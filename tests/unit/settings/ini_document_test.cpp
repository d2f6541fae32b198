// The expected texts here were taken from Wine's own private-profile functions on the same input.
#include <gtest/gtest.h>

#include <numeric>

#include "settings/ini_document.h"

namespace tideglass {
namespace {

constexpr char kHandMade[] =
    "top=1\r\n; head comment\r\n\r\n[Sec]\r\n  Key1 = value one  \r\n;comment=x\r\nnoequals\r\n"
    "\r\n\r\nkey1=dup\r\n=novalue\r\n\tTab\t=\t\"q v\"\t\r\nsingle=\"\r\nmis=\"a'\r\nempty=\r\n"
    "[ Sp ]\r\nk=sp\r\n[sec]\r\nk2=second\r\n[Last]\r\nz=1\r\n\r\n";

struct LookupCase {
    const char* section;
    const char* key;
    const char* expected;  // null: no value
};

std::ostream& operator<<(std::ostream& out, const LookupCase& c) {
    return out << "[" << c.section << "] " << c.key;
}

class IniLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(IniLookupTest, FindsValuesAsWindowsDoes) {
    const IniDocument document = IniDocument::parse(kHandMade);
    const std::string* value = document.find(GetParam().section, GetParam().key);
    if (!GetParam().expected) {
        EXPECT_EQ(value, nullptr) << *value;
    } else {
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(*value, GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HandMadeFile, IniLookupTest,
    ::testing::Values(LookupCase{"", "top", "1"}, LookupCase{"sec", "key1", "value one"},
                      LookupCase{" SEC ", " KEY1 ", "value one"},  // first duplicate wins
                      LookupCase{"Sec", "noequals", nullptr}, LookupCase{"Sec", ";comment", "x"},
                      LookupCase{"Sec", "tab", "\"q v\""}, LookupCase{"Sec", "", "novalue"},
                      LookupCase{"Sec", "empty", ""}, LookupCase{"Sp", "k", "sp"},
                      LookupCase{"sec", "k2", nullptr},  // only the first [sec] is searched
                      LookupCase{"Last", "z", "1"}, LookupCase{"Nowhere", "z", nullptr}));

TEST(IniDocument, RewritesAFileLikeWine) {
    IniDocument document = IniDocument::parse(kHandMade);
    EXPECT_TRUE(document.set("Sec", "new", "n"));
    EXPECT_TRUE(document.set("sec", "k2", "changed"));
    EXPECT_TRUE(document.set("Last", "z2", "2"));
    EXPECT_TRUE(document.set("New", "n", "1"));
    EXPECT_EQ(document.serialize(),
              "top=1\r\n; head comment\r\n[Sec]\r\nKey1=value one\r\n;comment=x\r\nnoequals\r\n"
              "key1=dup\r\n=novalue\r\nTab=\"q v\"\r\nsingle=\"\r\nmis=\"a'\r\nempty=\r\n"
              "new=n\r\nk2=changed\r\n[Sp]\r\nk=sp\r\n[sec]\r\nk2=second\r\n[Last]\r\nz=1\r\n"
              "z2=2\r\n[New]\r\nn=1\r\n");
}

TEST(IniDocument, ReadsAnyLineEndAndDropsBlanksLikeWine) {
    constexpr char kText[] =
        "[A]\nx=1\ny = 2\n[B]\rz=3\r\xa0w\xa0=\xa0v\xa0\r\x1a"
        "c\x1a=\x0b"
        "3\x0c\r\n=a\r\n=b\r\n[ok] trailing\r\nq=a\0b\r\n";
    const IniDocument document = IniDocument::parse(std::string_view(kText, sizeof kText - 1));
    EXPECT_EQ(*document.find("A", "y"), "2");
    EXPECT_EQ(*document.find("B", "z"), "3");
    EXPECT_EQ(document.find("B", "w"), nullptr);  // the no-break space is not white space
    EXPECT_EQ(*document.find("B", "c"), "3");     // Ctrl-Z, VT and FF are
    EXPECT_EQ(*document.find("ok", "q"), "a");
    EXPECT_EQ(
        document.serialize(),
        "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n\xa0w\xa0=\xa0v\xa0\r\nc=3\r\n=a\r\n[ok]\r\nq=a\r\n");
}

TEST(IniDocument, KeepsAUtf8MarkAndTheLinesBeforeTheFirstSection) {
    IniDocument document = IniDocument::parse("\xEF\xBB\xBF; note\r\nloose=1\r\n[S]\r\nk=v\r\n");
    EXPECT_EQ(*document.find("S", "k"), "v");
    document.set("S", "k2", "  w ");
    EXPECT_EQ(document.serialize(), "\xEF\xBB\xBF; note\r\nloose=1\r\n[S]\r\nk=v\r\nk2=w \r\n");
}

TEST(IniDocument, NamelessSectionKeepsItsHeader) {
    const IniDocument document = IniDocument::parse("a=1\r\n[]\r\nb=2\r\n");
    EXPECT_EQ(document.find("", "b"), nullptr);  // only the first nameless section is searched
    EXPECT_EQ(document.serialize(), "a=1\r\n[]\r\nb=2\r\n");
}

TEST(IniDocument, ReportsAnUnchangedValue) {
    IniDocument document = IniDocument::parse("[S]\r\n a = 1 \r\n");
    EXPECT_FALSE(document.set("s", "A", " 1"));
    EXPECT_TRUE(document.set("S", "a", "1 "));
    EXPECT_EQ(document.serialize(), "[S]\r\na=1 \r\n");
}

TEST(IniDocument, NewFileGetsSectionThenKeysInCallOrder) {
    IniDocument document = IniDocument::parse("");
    document.set("S", "a", "1");
    document.set("T", "x", "1");
    document.set("s", "C", "3");
    document.set(" New ", " key ", "v");
    EXPECT_EQ(document.serialize(), "[S]\r\na=1\r\nC=3\r\n[T]\r\nx=1\r\n[New ]\r\nkey =v\r\n");
}

TEST(StructText, EncodesAsWindowsDoes) {
    uint8_t block[60];
    for (int i = 0; i < 60; ++i)
        block[i] = static_cast<uint8_t>(i * 7);
    EXPECT_EQ(encodeStructText(block, sizeof block),
              "00070E151C232A31383F464D545B626970777E858C939AA1A8AFB6BDC4CBD2D9E0E7EEF5FC030A11181F"
              "262D343B424950575E656C737A81888F969D66");
    const uint8_t zero[60] = {};
    EXPECT_EQ(encodeStructText(zero, sizeof zero), std::string(122, '0'));
    auto decoded = decodeStructText(encodeStructText(block, sizeof block), sizeof block);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_TRUE(std::equal(decoded->begin(), decoded->end(), block));
}

TEST(StructText, RejectsDamagedText) {
    EXPECT_EQ(decodeStructText("0a0b15", 2), (std::vector<uint8_t>{0x0A, 0x0B}));
    for (const char* damaged : {"0a0b16", "0a0b150", "0a0b1", "0a0g15", "0a 0b15", "", "0A0B"}) {
        EXPECT_FALSE(decodeStructText(damaged, 2).has_value()) << damaged;
    }
}

}  // namespace
}  // namespace tideglass
