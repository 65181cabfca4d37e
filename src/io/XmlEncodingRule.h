#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace KelUtils {

// Whether XmlTokenLexer can follow a document in its declared encoding byte by byte, as the
// reader will decode it. In a document of one byte a unit that holds when every byte of a
// printable ASCII character or of XML white space stands for that character wherever it
// appears (never another character, never part of one, but for letters, which may end a
// character of several bytes: they cannot form markup), and no other byte or sequence of
// bytes decodes to a character of markup (white space, quotes, < > & # ; = / ? ! - [ ] %):
// then markup is found in the bytes exactly where the reader finds it. The standard byte
// structures (ASCII, ISO-8859-1, UTF-8, CESU-8) hold it by definition; the table-driven
// single- and multi-byte encodings (ISO-8859-*, windows-125x, IBM PC code pages, Mac OS,
// KOI8, EUC-*, GB2312, UHC) are checked through the decoder itself, over every byte after every
// unfinished sequence, once an encoding: EBCDIC, GBK, Big5 and Shift_JIS fail it; the
// encodings that shift between character sets with ASCII bytes (UTF-7, ISO-2022, HZ, stateful
// EBCDIC, SCSU, BOCU-1, ISCII, LMBCS) never hold it. UTF-16 and UTF-32 are followed by their
// code units, where the declared decoder reads them in the order the document's head shows.
class XmlEncodingRule
{
public:
    enum class Verdict {
        Followed,
        // Qt has no decoder for the name.
        Undecodable,
        // A byte of an ASCII character stands for another character.
        NotAscii,
        // A byte of an ASCII character can be part of a character of several bytes.
        AsciiInsideCharacters,
        // Another byte, or a sequence of them, decodes to a character of markup.
        MarkupFromOtherBytes,
        // Sequences of ASCII bytes shift between character sets.
        Shifting,
        // A name of UTF-16 or UTF-32 for a document of one byte a unit, or the other way.
        UnitWidth,
    };

    // `unitWidth`, `bigEndian`, `byteOrderMark`: the code units as the lexer reads the
    // document's head (1, 2 or 4 bytes), their order, and whether a byte-order mark leads.
    static Verdict judge(QByteArray const& name, int unitWidth, bool bigEndian = false, bool byteOrderMark = false);
    // What the gate says when it refuses a document for its encoding.
    static QString refusal(QByteArray const& name, Verdict verdict);

    // The unfinished sequences of a followed encoding whose characters may hold ASCII letters
    // (UHC): there a document is followed only while no other ASCII character comes inside a
    // character, as an ill-formed sequence would take it in.
    struct Sequences {
        // next[state][byte]: the state after the byte; state 0 holds no unfinished character.
        std::vector<std::array<int, 256>> next;
        // Moves on by a byte; false for an ASCII character other than a letter inside a character.
        bool step(int& state, uchar byte) const;
    };
    // Null for an encoding whose characters hold no ASCII byte.
    static std::shared_ptr<Sequences const> sequences(QByteArray const& name);
};

} // namespace KelUtils
