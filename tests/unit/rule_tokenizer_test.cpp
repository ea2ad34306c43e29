#include "translation/rule_tokenizer.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vonx
