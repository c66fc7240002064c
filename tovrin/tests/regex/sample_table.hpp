#pragma once

// Reference outputs: pattern, text and result (true, false or "error:" and the error text),
// separated by TAB. Fields are escaped: \\ backslash, \n LF, \t TAB, \r CR, \u{HEX} that char.
// Lines starting with '#' are comments.
inline constexpr const char* kRegexSamples = R"(# --- semantics
b	abc	true
^b	abc	false
		true
\\d	٤	true
\\w	ü	true
\\s	\u{202F}	true
\\bk	 k	true
\\b\\u00fc	 ü	true
(?i)k	\u{212A}	true
\\p{Greek}	λ	true
[\\pL&&\\p{Cyrillic}]	д	true
.	\n	false
(?s).	\n	true
x$	x\n	false
# --- single-line errors
(		error:regex parse error:\n    (\n    ^\nerror: unclosed group
x)		error:regex parse error:\n    x)\n     ^\nerror: unopened group
[x		error:regex parse error:\n    [x\n    ^\nerror: unclosed character class
[c-a]		error:regex parse error:\n    [c-a]\n     ^^^\nerror: invalid character class range, the start must be <= the end
[\\A]		error:regex parse error:\n    [\\A]\n     ^^\nerror: invalid escape sequence found in character class
[x-\\s]		error:regex parse error:\n    [x-\\s]\n       ^^\nerror: invalid range boundary, must be a literal
\\m		error:regex parse error:\n    \\m\n    ^^\nerror: unrecognized escape sequence
\\		error:regex parse error:\n    \\\n    ^\nerror: incomplete escape sequence, reached end of pattern prematurely
\\xZ		error:regex parse error:\n    \\xZ\n      ^\nerror: invalid hexadecimal digit
\\x{}		error:regex parse error:\n    \\x{}\n      ^^\nerror: hexadecimal literal empty
\\x{D800}		error:regex parse error:\n    \\x{D800}\n       ^^^^\nerror: hexadecimal literal is not a Unicode scalar value
(?z)		error:regex parse error:\n    (?z)\n      ^\nerror: unrecognized flag
(?s-)		error:regex parse error:\n    (?s-)\n       ^\nerror: dangling flag negation operator
(?s-s)		error:regex parse error:\n    (?s-s)\n      ^ ^\nerror: duplicate flag
(?-i-m)		error:regex parse error:\n    (?-i-m)\n      ^ ^\nerror: flag negation operator repeated
(?m		error:regex parse error:\n    (?m\n       ^\nerror: expected flag but got end of regex
*a		error:regex parse error:\n    *a\n    ^\nerror: repetition operator missing expression
a{2		error:regex parse error:\n    a{2\n     ^^\nerror: unclosed counted repetition
a{x}		error:regex parse error:\n    a{x}\n      ^\nerror: repetition quantifier expects a valid decimal
a{5,1}		error:regex parse error:\n    a{5,1}\n     ^^^^^\nerror: invalid repetition count range, the start must be <= the end
a{4294967296}		error:regex parse error:\n    a{4294967296}\n      ^^^^^^^^^^\nerror: decimal literal invalid
(?P<>a)		error:regex parse error:\n    (?P<>a)\n        ^\nerror: empty capture group name
(?P<9>a)		error:regex parse error:\n    (?P<9>a)\n        ^\nerror: invalid capture group character
(?<n		error:regex parse error:\n    (?<n\n        ^\nerror: unclosed capture group name
(?P<x>a)(?<x>b)		error:regex parse error:\n    (?P<x>a)(?<x>b)\n        ^      ^\nerror: duplicate capture group name
(?=x)		error:regex parse error:\n    (?=x)\n    ^^^\nerror: look-around, including look-ahead and look-behind, is not supported
(?<!x)		error:regex parse error:\n    (?<!x)\n    ^^^^\nerror: look-around, including look-ahead and look-behind, is not supported
(x)\\1		error:regex parse error:\n    (x)\\1\n       ^^\nerror: backreferences are not supported
\\p{Foo}		error:regex parse error:\n    \\p{Foo}\n    ^^^^^^^\nerror: Unicode property not found
\\p{gc=Foo}		error:regex parse error:\n    \\p{gc=Foo}\n    ^^^^^^^^^^\nerror: Unicode property value not found
\\p\\d		error:regex parse error:\n    \\p\\d\n      ^\nerror: invalid Unicode character class
\\b{middle}		error:regex parse error:\n    \\b{middle}\n       ^^^^^^\nerror: unrecognized special word boundary assertion, valid choices are: start, end, start-half or end-half
\\b{start		error:regex parse error:\n    \\b{start\n      ^^^^^^\nerror: special word boundary assertion is either unclosed or contains an invalid character
\\b{		error:regex parse error:\n    \\b{\n    ^^^\nerror: found either the beginning of a special word boundary or a bounded repetition on a \\b with an opening brace, but no closing brace
(?-u:\\xE9)		error:regex parse error:\n    (?-u:\\xE9)\n         ^^^^\nerror: pattern can match invalid UTF-8
(?-u:\\pL)		error:regex parse error:\n    (?-u:\\pL)\n         ^^^\nerror: Unicode not allowed here
# --- multi-line errors
ab\ncd(		error:regex parse error:\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n1: ab\n2: cd(\n     ^\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\nerror: unclosed group
(\nx		error:regex parse error:\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n1: (\n   ^\n2: x\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\nerror: unclosed group
(?P<n>a)\n(?P<n>b)		error:regex parse error:\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n1: (?P<n>a)\n       ^\n2: (?P<n>b)\n       ^\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\nerror: duplicate capture group name
(\n		error:regex parse error:\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n1: (\n   ^\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\nerror: unclosed group
x\r\ny(		error:regex parse error:\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n1: x\n2: y(\n    ^\n~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\nerror: unclosed group
# --- limits
\\w{1000}{1000}		error:Compiled regex exceeds size limit of 10485760 bytes.
\\d{100}{100}		error:Compiled regex exceeds size limit of 10485760 bytes.
)";
