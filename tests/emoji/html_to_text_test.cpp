#include "emoji/html_to_text.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace pictolumen {
namespace {

struct Case {
  std::u32string_view html;
  std::u32string_view text;
};

void ExpectTexts(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(HtmlToText(c.html), c.text) << testing::PrintToString(std::u32string(c.html));
  }
}

std::u32string Repeated(std::u32string_view piece, std::size_t times) {
  std::u32string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(HtmlToText, RemovesTagsAndKeepsStrayMarkupCharacters) {
  ExpectTexts({{U"a<b>b</b><SPAN Class=x>c</Span>", U"abc"},
               {U"<a title=\"1>2\" alt='3>4' data-x=5>link</a>", U"link"},
               {U"a < b > c, <>, <3, x</>y, x</ y>z", U"a < b > c, <>, <3, xy, xz"},
               {U"<p/>x<br/>y", U"x\r\ny"},
               // A tag the input ends in swallows the rest, as in a browser; "</" at the end
               // is text.
               {U"a<b", U"a"},
               {U"a<span title=\"x>y", U"a"},
               {U"a</", U"a</"}});
}

TEST(HtmlToText, DropsHiddenContentCommentsAndDeclarations) {
  ExpectTexts({{U"a<!-- <p>b</p> -->c<!-->d<!--->e<!-- x --!>f", U"acdef"},
               {U"a<!-- never closed", U"a"},
               {U"<!DOCTYPE html><?xml version=\"1.0\"?><!x>a", U"a"},
               {U"a<![CDATA[<b>x</b>]]>b", U"ab"},
               {U"<script>if (a<b) x = '</p>';</script>c", U"c"},
               {U"<SCRIPT>x</scripty>y</Script >z", U"z"},
               {U"a<script>never closed</script", U"a"},
               {U"<head><title>T</title><meta charset=utf-8><style>p{}</style></head>b", U"b"},
               {U"<template><p>a<template>b</template>c</template>d</template>e", U"de"},
               {U"<iframe>x</iframe><noembed>y</noembed><noscript>shown</noscript>", U"shown"}});
}

TEST(HtmlToText, CollapsesWhiteSpaceAsABrowserDoes) {
  ExpectTexts({{U"  a \t\r\n\f b  ", U"a b"},
               {U"a<b> b </b> c", U"a b c"},
               {U"<div> a </div> <div>\n b </div>", U"a\r\nb"},
               {U"a&#32;&#9;&#13;b", U"a b"},
               // Non-breaking and ideographic spaces are characters; U+0000 is left out.
               {U"&nbsp;a&nbsp;&nbsp;b\u3000 c", U"\u00A0a\u00A0\u00A0b\u3000 c"},
               {std::u32string_view(U"a\0b", 3), U"ab"}});
}

TEST(HtmlToText, KeepsPreformattedText) {
  ExpectTexts({{U"<pre>\n  a  b\n\tc\n\n</pre>", U"  a  b\r\n\tc"},
               {U"x<pre>a\r\nb\rc<b>  d</b></pre>y", U"x\r\n\r\na\r\nb\r\nc  d\r\n\r\ny"},
               {U"<listing>\r\n\r\na</listing>", U"\r\na"},
               {U"<textarea>\n a&amp;<b>\n</textarea>!", U" a&<b>\r\n!"},
               {U"<xmp>&amp;<b></xmp>x", U"&amp;<b>\r\n\r\nx"},
               {U"<plaintext>a</plaintext>&lt;", U"a</plaintext>&lt;"}});
}

TEST(HtmlToText, BreaksLinesAtBrAndBlocks) {
  ExpectTexts(
      {{U"a<br>b<BR>c</br>d", U"a\r\nb\r\nc\r\nd"},
       {U"a<br><br><br>b", U"a\r\n\r\n\r\nb"},
       {U"<br>a<br><br>", U"\r\na"},
       {U"a<div>b</div>c<section>d</section>", U"a\r\nb\r\nc\r\nd"},
       {U"<p>a</p><p>b</p>c<h2>T</h2>d<hr>e", U"a\r\n\r\nb\r\n\r\nc\r\n\r\nT\r\n\r\nd\r\n\r\ne"},
       {U"<div><div><p>a</p></div></div><blockquote><div>b</div></blockquote>", U"a\r\n\r\nb"},
       {U"<p>a<br></p><p>b</p><div>c<br></div>d", U"a\r\n\r\nb\r\n\r\nc\r\nd"},
       {U"<p>a</p><br>b", U"a\r\n\r\n\r\nb"},
       {U"<div></div><p></p><p>x</p><div></div>", U"x"}});
}

TEST(HtmlToText, SetsOutListsAndTables) {
  ExpectTexts(
      {{U"a<ul><li>one<li> two </ul>b", U"a\r\n\r\n・one\r\n・two\r\n\r\nb"},
       {U"<ol start=\" 9\"><li>a</li><li>b</li></ol>", U"9. a\r\n10. b"},
       {U"<ol start=x><li>a</ol><ol start=-2><li>b</ol><ol start=1234567890><li>c</ol>",
        U"1. a\r\n\r\n-2. b\r\n\r\n1. c"},
       {U"<ul><li>a<ol><li>b</ol><li>c</ul>", U"・a\r\n1. b\r\n・c"},
       {U"<li></li><li><p>x</p><p>y</p></li>", U"・\r\n・x\r\n\r\ny"},
       {U"<table><tr><td>a</td><td>b</td></tr><tr><th>c<td><td>d</table>", U"a\tb\r\nc\t\td"},
       {U"x<table><tr><td></td><td><div>b</div></td></tr></table>y", U"x\r\n\tb\r\ny"},
       {U"<tr><td><p>a</p><p>b</p></td><td><p>c</p></td></tr>", U"a\r\n\r\nb\tc"}});
}

TEST(HtmlToText, ShowsTheAltTextOfImages) {
  ExpectTexts({{U"a<img src=\"s.gif\" alt=\"[晴れ]\">b<img src=x>c", U"a[晴れ]bc"},
               {U"<IMG ALT='a &amp; b' alt=second>", U"a & b"},
               {U"<img alt=\"\" alt=x>", U""},
               {U"<img alt='  two\n words '>!", U"two words !"},
               // In an attribute a legacy reference before "=" or a letter stays as written.
               {U"<img alt=\"&copy;&copy x&copy=1&notb\">", U"©© x&copy=1&notb"},
               {U"<template><img alt=x></template>", U""}});
}

// Python's html.unescape checks every name and random runs of references through
// html_references_oracle.py; these are the edges a browser treats in its own way.
TEST(HtmlToText, ReadsCharacterReferences) {
  ExpectTexts({{U"&amp;&lt;&gt;&quot;&apos;&AMP;&Amp;", U"&<>\"'&&Amp;"},
               {U"&amp &lt &copy &nbspx &ampx", U"& < © \u00A0x &x"},
               {U"&notit; &notin; &notin &alpha x", U"¬it; ∉ ¬in &alpha x"},
               {U"&unknown; & &; &#; &#x; &#xZ &#a", U"&unknown; & &; &#; &#x; &#xZ &#a"},
               {U"&#12354;&#x3042;&#X3042&#x1F600;&#0065&#x42x", U"あああ😀ABx"},
               {U"&#0;&#xD800;&#xDFFF;&#x110000;&#99999999999999999999;",
                U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
               {U"&#x80;&#x81;&#150;&#x9F;&#xA0;&#x10FFFF;", U"€\u0081–Ÿ\u00A0\U0010FFFF"},
               {U"&lt;b&gt;x&lt;/b&gt;", U"<b>x</b>"}});
}

// Each completes at once (a quadratic scan would take hours) and gives at most four code points
// per input code point.
TEST(HtmlToText, StaysLinearAndBoundedOnHostileInput) {
  const std::pair<std::u32string, std::u32string> cases[] = {
      {Repeated(U"<", 1000000), Repeated(U"<", 1000000)},
      {U"a<!--" + Repeated(U"-", 1000000), U"a"},
      {U"a<script>" + Repeated(U"</scrip", 200000), U"a"},
      {Repeated(U"<div>", 100000) + U"x" + Repeated(U"</div>", 100000), U"x"},
      {U"<a title=\"" + Repeated(U"x", 1000000) + U"\">y", U"y"},
      {Repeated(U"<a b=c d='e", 100000), U""},
      {Repeated(U"&ampx&#x1F600;", 100000), Repeated(U"&x😀", 100000)},
  };
  for (const auto& [html, text] : cases) EXPECT_TRUE(HtmlToText(html) == text) << html.size();
  for (const std::u32string& html :
       {Repeated(U"<ol><li>", 100000), U"<ol start=-999999999>" + Repeated(U"<li>", 300000),
        Repeated(U"<p><br>", 300000), Repeated(U"<li><td><p>x", 300000)}) {
    EXPECT_LE(HtmlToText(html).size(), 4 * html.size());
  }
}

}  // namespace
}  // namespace pictolumen
