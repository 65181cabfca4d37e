#pragma once

#include "io/XmlEncodingRule.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QtGlobal>

namespace KelUtils {

// Follows a document's bytes as they stream, token by token as Qt's reader will cut them (a
// text, a tag with its attributes, a comment, a CDATA section, a processing instruction, the
// document type declaration with its internal subset), and says where one passes a limit of
// XmlDocumentBudget.h: a token longer than MaxXmlTokenLength, an element with more than
// MaxXmlAttributes. The reader holds a token whole, decoded, before it hands it on; this sees
// it first. UTF-16 and UTF-32 are followed by their code units, other encodings byte by byte
// where XmlEncodingRule says their bytes keep ASCII as it is (a declaration of one that does
// not is a fault). Well-formedness is left to the reader: where the reader stops, what follows
// is never held.
class XmlTokenLexer
{
public:
    // IllFormedCharacter: in an encoding that is followed, a sequence of bytes that is no
    // character of it took in an ASCII character other than a letter (the document is damaged;
    // the encoding is read). DeclarationBeyondAscii: in such an encoding, an XML declaration
    // holding other bytes than ASCII (the lexer cannot tell where it ends).
    enum class Fault {
        None,
        TokenTooLong,
        TooManyAttributes,
        UnfollowedEncoding,
        IllFormedCharacter,
        DeclarationBeyondAscii
    };

    // Where a fault stands in the document's bytes: the line breaks before it (counted as the
    // reader counts them: CR LF, CR and LF each one), the first byte of its line, and its own
    // first byte (a damaged sequence's first byte, not the ASCII byte it took in).
    struct Place {
        qint64 linesBefore = 0;
        qint64 lineStart = 0;
        qint64 offset = 0;
    };

    // Takes the next bytes; returns how many of them lie before the first fault (all of them
    // without one). After a fault the lexer takes nothing more.
    qsizetype feed(char const* bytes, qsizetype size);
    Fault fault() const { return m_fault; }
    Place const& faultPlace() const { return m_faultPlace; }
    // The decoder the reader reads the document's characters with, from its state at a line's
    // start (for the faults before the declaration is read, the one the reader starts with).
    QStringDecoder decoder() const;
    // The encoding the XML declaration names (empty without one) and whether it is followed.
    QByteArray const& encoding() const { return m_encoding; }
    XmlEncodingRule::Verdict encodingVerdict() const { return m_encodingVerdict; }

private:
    enum class State {
        Text,
        TagOpen,
        Bang,
        BangDash,
        StartTag,
        Literal,
        EndTag,
        ProcessingInstruction,
        Comment,
        CData,
        Declaration,
        Doctype,
        Subset,
        SubsetTagOpen,
        SubsetBang,
        SubsetBangDash,
        SubsetDeclaration,
        AfterSubset,
    };

    qsizetype plainBytes(char const* bytes, qsizetype size) const;
    void passPlainBytes(char const* bytes, qsizetype size);
    bool takeByte(uchar byte);
    void followLines(char32_t unit);
    void fail(Fault fault, qint64 offset);
    void chooseUnitWidth();
    void take(char32_t unit);
    void step(char32_t unit);
    void followReference(char32_t unit);
    void followDeclaration(char32_t unit);
    void endMarkup(State next);
    void beginTextRun();

    Fault m_fault = Fault::None;
    Place m_faultPlace;
    // Bytes taken into units so far, and where the unit being taken began.
    qint64 m_taken = 0;
    qint64 m_unitStart = 0;
    qint64 m_linesBefore = 0;
    qint64 m_lineStart = 0;
    // A CR just ended a line: an LF after it ends no other.
    bool m_afterCarriageReturn = false;
    // Code units: 1, 2 or 4 bytes, chosen from the first four bytes as the reader chooses.
    int m_unitWidth = 0;
    bool m_bigEndian = false;
    bool m_byteOrderMark = false;
    QByteArray m_head;
    char32_t m_partial = 0;
    int m_partialBytes = 0;

    State m_state = State::Text;
    // Where a literal, a comment or a processing instruction returns to.
    State m_resume = State::Text;
    char32_t m_quote = 0;
    // The token so far, in code units, each entity reference at the most it may expand to.
    qint64 m_length = 0;
    int m_attributes = 0;
    // Closing characters seen in a row: "-" of "-->", "]" of "]]>", "?" of "?>".
    int m_closing = 0;
    // An entity reference in text or a value: 0 none, 1 just after "&", 2 in its name.
    int m_reference = 0;
    QByteArray m_referenceName;
    // The XML declaration's pseudo-attributes, read while it is the first token.
    bool m_inDeclaration = false;
    bool m_pastFirstToken = false;
    QByteArray m_declaration;
    QByteArray m_encoding;
    XmlEncodingRule::Verdict m_encodingVerdict = XmlEncodingRule::Verdict::Followed;
    // In an encoding whose characters may hold ASCII letters: its unfinished character, byte by byte.
    std::shared_ptr<XmlEncodingRule::Sequences const> m_sequences;
    int m_sequenceState = 0;
    qint64 m_sequenceStart = 0;
    bool m_declarationBeyondAscii = false;
    Place m_firstBeyondAscii;
};

} // namespace KelUtils
