#pragma once

#include <string>
#include <string_view>

// The characters an attribute value between double quotes must have as
// references to read back exactly: markup ('&', '<', '"') and the white space
// that attribute normalisation would fold into spaces.
inline constexpr std::string_view kSPXMLAttributeEscapes = "&<\"\t\n\r";
// The same, with '>' and '\'' too, for writers that escape every markup character.
inline constexpr std::string_view kSPXMLAllAttributeEscapes = "&<>\"'\t\n\r";

// `text` as an attribute value between double quotes, with each character of
// `escaped` written as its reference (&amp; &lt; &gt; &quot; &apos;, else a
// character reference such as &#9;). Every other byte is copied as it is, so
// the caller chooses how much a document changes: a document whose bytes are
// relied on keeps them by naming only what it always escaped.
std::string SPXMLEscapeAttribute(std::string_view text,
                                 std::string_view escaped = kSPXMLAttributeEscapes);
