// The plain text a reader shows for an HTML part: used when a mail has an HTML alternative only.
// The text is escaped again when it is put into a page, so nothing here needs to stay markup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pictolumen {

// The text of `html` (code points; the caller decodes the part first) as a browser lays it out,
// lines separated by CR LF. Raises nothing but std::bad_alloc; time linear in the input; at most
// four code points of text per code point of input.
// - Tags, comments, <!DOCTYPE>, <?...> and <![CDATA[...]]> give nothing; a tag runs to its ">"
//   past quoted attribute values; one that the input ends in swallows the rest, as in a browser.
// - The contents of script, style, title, iframe, noembed, noframes and template are dropped
//   (an unclosed one to the end); noscript content is kept (a reader without script shows it).
//   A head shows nothing because its elements show nothing; text in it is kept, as browsers do.
// - White space collapses to one space and is dropped at line ends; pre, listing, textarea, xmp
//   and plaintext keep theirs, each CR LF, CR or LF a line break (one right after <pre>,
//   <listing> or <textarea> is left out). U+0000 is left out.
// - <br> ends a line. Blocks (div, li, tr, table, dt, dd, form, section...) stand on lines of
//   their own; p, h1-h6, blockquote, pre, dl, figure, hr, and lists not nested in a list keep one
//   empty line around them. Block boundaries alone never give more than one empty line and none
//   at the start or end; <br>s and preformatted line breaks give as many as they are, except at
//   the end. A block that begins right after a bullet or a cell's tab stays on that line.
// - Table cells in a row are separated by a tab; a list item begins with "・" (U+30FB), one of
//   an ol with its number ("3. ", from the start attribute of up to nine digits).
// - <img alt="..."> gives its alt text.
// - Character references: the 252 of HTML 4 and &apos; (&AMP; &LT; &GT; &QUOT; &COPY; &REG;
//   too), case-sensitive; those of Latin-1 and of the four markup characters also without ";"
//   (in an attribute value not before "=", a letter or a digit); decimal and hexadecimal ones,
//   where 0, a surrogate or a value past U+10FFFF is U+FFFD and 0x80-0x9F is read as
//   Windows-1252. &nbsp; is U+00A0, so that the page keeps runs of it. An "&" that begins none
//   stays as it is.
// HtmlToText(U"a<br>b") == U"a\r\nb"
// HtmlToText(U"<p>x &amp;  y</p><ul><li>one<li>two</ul>") == U"x & y\r\n\r\n・one\r\n・two"
// HtmlToText(U"<tr><td>1<td>2</tr><script>x</script>") == U"1\t2"
// Raises SizeLimitError, soon after it is passed, where the text would hold more than
// `size_limit` characters.
std::u32string HtmlToText(std::u32string_view html, std::size_t size_limit = SIZE_MAX);

}  // namespace pictolumen
