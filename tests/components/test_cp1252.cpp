#include <gtest/gtest.h>

#include "components/Cp1252.h"

namespace tamaris {
namespace {

struct Caso {
    const char* utf8;
    std::string cp1252;
};

// Every character that the 0x80-0x9F range of Windows-1252 assigns, with its byte.
TEST(Cp1252, TablaCompletaDe80a9F) {
    const Caso casos[] = {
        {"€", "\x80"}, {"‚", "\x82"}, {"ƒ", "\x83"}, {"„", "\x84"}, {"…", "\x85"},
        {"†", "\x86"}, {"‡", "\x87"}, {"ˆ", "\x88"}, {"‰", "\x89"}, {"Š", "\x8A"},
        {"‹", "\x8B"}, {"Œ", "\x8C"}, {"Ž", "\x8E"}, {"‘", "\x91"}, {"’", "\x92"},
        {"“", "\x93"}, {"”", "\x94"}, {"•", "\x95"}, {"–", "\x96"}, {"—", "\x97"},
        {"˜", "\x98"}, {"™", "\x99"}, {"š", "\x9A"}, {"›", "\x9B"}, {"œ", "\x9C"},
        {"ž", "\x9E"}, {"Ÿ", "\x9F"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(Utf8ACp1252(c.utf8), c.cp1252) << c.utf8;
        EXPECT_EQ(Cp1252AUtf8(c.cp1252), c.utf8) << c.utf8;
    }
}

TEST(Cp1252, Latin1EsElMismoValor) {
    EXPECT_EQ(Utf8ACp1252("Peña Álvarez, Müller ÿ"), "Pe\xF1" "a \xC1lvarez, M\xFCller \xFF");
    EXPECT_EQ(Utf8ACp1252("\xC2\xA0"), "\xA0");  // no-break space
    for (int b = 0xA0; b <= 0xFF; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ACp1252(Cp1252AUtf8(byte)), byte) << b;
    }
}

TEST(Cp1252, AsciiPasaIgual) {
    std::string todos;
    for (int b = 0; b < 0x80; ++b) todos.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ACp1252(todos), todos);
    EXPECT_EQ(Cp1252AUtf8(todos), todos);
    const std::string largo(1000, 'x');
    EXPECT_EQ(Utf8ACp1252(largo + "ñ" + largo), largo + "\xF1" + largo);
}

TEST(Cp1252, FueraDelJuegoOMalFormadoEsUnSignoDePregunta) {
    const Caso casos[] = {
        {"Ω", "?"},                          // Greek, outside the set
        {"\xE4\xB8\xAD", "?"},               // CJK
        {"a\xF0\x9F\x98\x80z", "a?z"},       // four-byte emoji
        {"\xC2\x81", "?"},                   // C1 control: byte 0x81 is unassigned
        {"\xC2\x80", "?"},                   // C1 control, not the euro sign
        {"\x80", "?"},                       // stray continuation byte
        {"\xC3", "?"},                       // truncated at the end
        {"\xC3z", "?z"},                     // truncated before an ASCII letter
        {"\xC0\xAF", "??"},                  // overlong lead, then a stray continuation
        {"\xE0\x80\xAF", "?"},               // overlong three-byte form
        {"\xED\xA0\x80", "?"},               // UTF-16 surrogate
        {"\xF4\x90\x80\x80", "?"},           // beyond U+10FFFF
        {"\xFF", "?"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(Utf8ACp1252(c.utf8), c.cp1252) << testing::PrintToString(c.utf8);
    }
}

TEST(Cp1252, BytesSinAsignarSonReemplazo) {
    for (const char* b : {"\x81", "\x8D", "\x8F", "\x90", "\x9D"}) {
        EXPECT_EQ(Cp1252AUtf8(b), "\xEF\xBF\xBD");
    }
}

TEST(Cp1252, AnexarAgrega) {
    std::string s = "x";
    AnexarCp1252(s, "€1");
    EXPECT_EQ(s, "x\x80" "1");
}

}  // namespace
}  // namespace tamaris
