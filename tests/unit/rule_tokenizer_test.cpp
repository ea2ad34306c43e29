#include "translation/rule_tokenizer.hpp"

#include <gtest/gtest.h>

#include "test_support.hpp"

namespace vonx {
namespace {

using Tokens = std::vector<std::string>;

struct TokenizerCase {
  std::string text;
  Tokens pattern;
  std::vector<Tokens> replacements;
};

TEST(RuleTokenizer, PatternAndReplacementTokens) {
  const TokenizerCase cases[] = {
      // Placeholders end at ">"; a "<" with a letter or digit ends the token before it.
      {"ld <user>,<imm>:\tld\t<user>,<imm>\n",
       {"ld", "<user>", ",", "<imm>"},
       {{"\t", "ld", "\t", "<user>", ",", "<imm>"}}},
      {"ld.<size> a<5>x", {"ld.", "<size>", "a", "<5>", "x"}, {}},
      // Wildcards are placeholders too, also right after a bracket.
      {"(<...>) [<...2>]", {"(", "<...>", ")", "[", "<...2>", "]"}, {}},
      {"a<=b <.x>", {"a<=b", "<.x>"}, {}},
      // Every ":" where a token may begin opens the next replacement line.
      {"a:b:c", {"a"}, {{"b"}, {"c"}}},
      {"x:", {"x"}, {{}}},
      {":  x   y  \r\n", {}, {{"  ", "x", "   ", "y"}}},
      {"p : q :r", {"p"}, {{" ", "q"}, {"r"}}},
      // Quoted text is one token and hides ":" and blanks.
      {"db 'a:b' \"c d\"x:y", {"db", "'a:b'", "\"c d\"x"}, {{"y"}}},
      {"db 'open: end", {"db", "'open: end"}, {}},
      // "#" ends a token and may begin one.
      {"a#b ##", {"a", "#b", "#", "#"}, {}},
      // Escapes: "\:" and "\#" are one-character tokens and open nothing.
      {"\\:a \\#b:c", {":", "a", "#", "b"}, {{"c"}}},
      {"a\\:b", {"a", ":", "b"}, {}},
      // "\<" ... "\>" is one token without its backslashes, blanks included.
      {"\\<a b\\> c:\\<x>", {"<a b>", "c"}, {{"<x>"}}},
      // An unclosed placeholder runs to the line end.
      {"ld <imm", {"ld", "<imm"}, {}},
      {"   \n", {}, {}},
  };
  for (const TokenizerCase& c : cases) {
    RuleLineTokens tokens = tokenize_rule_line(c.text);
    EXPECT_EQ(tokens.pattern, c.pattern) << c.text;
    EXPECT_EQ(tokens.replacements, c.replacements) << c.text;
  }
}

// A "\" that is the second byte of a two-byte character (表, ソ) escapes nothing,
// and no other sign-like second byte ends a token or a placeholder.
TEST(RuleTokenizer, TwoByteCharactersAreWholeCharacters) {
  const TokenizerCase cases[] = {
      {"db \x82\xa0:db \x82\xa0", {"db", "\x82\xa0"}, {{"db", " ", "\x82\xa0"}}},
      {"\x82\xa0#a", {"\x82\xa0", "#a"}, {}},
      {"x\x82\xa0<imm>", {"x\x82\xa0", "<imm>"}, {}},
      {"\\<\x82\xa0\\> y", {"<\x82\xa0>", "y"}, {}},
      {"\\<a\x82\xa0> c", {"<a\x82\xa0>", "c"}, {}},
      {"'\x82\xa0':z", {"'\x82\xa0'"}, {{"z"}}},
  };
  for (const std::string& character : testing::kSignLikeCharacters) {
    auto with = [&](const Tokens& tokens) {
      Tokens out;
      for (const std::string& token : tokens)
        out.push_back(testing::with_character(token, character));
      return out;
    };
    for (const TokenizerCase& c : cases) {
      RuleLineTokens tokens = tokenize_rule_line(testing::with_character(c.text, character));
      EXPECT_EQ(tokens.pattern, with(c.pattern)) << c.text << " " << character;
      std::vector<Tokens> replacements;
      for (const Tokens& line : c.replacements) replacements.push_back(with(line));
      EXPECT_EQ(tokens.replacements, replacements) << c.text << " " << character;
    }
  }
}

}  // namespace
}  // namespace vonx
