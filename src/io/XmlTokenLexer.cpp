#include "io/XmlTokenLexer.h"

#include "io/XmlDocumentBudget.h"

#include <QRegularExpression>

#include <array>
#include <cstring>

namespace KelUtils {

namespace {

bool isSpace(char32_t unit)
{
    return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n';
}

bool isQuote(char32_t unit)
{
    return unit == '"' || unit == '\'';
}

// The encoding the declaration names; empty when it names none.
QByteArray declaredEncoding(QByteArray const& declaration)
{
    static const QRegularExpression encoding(QStringLiteral(R"(\sencoding\s*=\s*["']([^"']*)["'])"));
    return encoding.match(QString::fromLatin1(declaration)).captured(1).toLatin1();
}

} // namespace

qsizetype XmlTokenLexer::feed(char const* bytes, qsizetype size)
{
    if (m_fault != Fault::None)
        return 0;
    qsizetype i = 0;
    while (i < size) {
        const qsizetype plain = plainBytes(bytes + i, size - i);
        if (plain > 0) {
            m_length += plain;
            m_closing = 0;
            passPlainBytes(bytes + i, plain);
            i += plain;
            continue;
        }
        if (!takeByte(uchar(bytes[i])))
            return i;
        ++i;
    }
    return size;
}

// How many of the next bytes change nothing but the token's length, up to the limit: a text
// of megabytes goes by at the speed of a search.
qsizetype XmlTokenLexer::plainBytes(char const* bytes, qsizetype size) const
{
    if (m_unitWidth != 1 || m_reference != 0 || m_inDeclaration || m_sequences)
        return 0;
    auto stops = [](char a, char b, char c = 0, char d = 0) { return std::array<char, 4>{a, b, c ? c : a, d ? d : a}; };
    std::array<char, 4> stop;
    switch (m_state) {
    case State::Text:
        stop = stops('<', '&');
        break;
    case State::Literal:
        stop = stops(char(m_quote), '&');
        break;
    case State::Comment:
        stop = stops('-', '>');
        break;
    case State::CData:
        stop = stops(']', '>');
        break;
    case State::ProcessingInstruction:
        stop = stops('?', '>');
        break;
    case State::StartTag:
        stop = stops('=', '>', '"', '\'');
        break;
    default:
        return 0;
    }
    const qsizetype most = qMin<qint64>(size, MaxXmlTokenLength - m_length);
    qsizetype plain = 0;
    while (plain < most && bytes[plain] != stop[0] && bytes[plain] != stop[1] && bytes[plain] != stop[2]
           && bytes[plain] != stop[3])
        ++plain;
    return plain;
}

// Plain bytes are bytes of one byte a unit; only the line breaks among them are followed.
void XmlTokenLexer::passPlainBytes(char const* bytes, qsizetype size)
{
    const qint64 start = m_taken;
    m_taken += size;
    if (!std::memchr(bytes, '\n', size_t(size)) && !std::memchr(bytes, '\r', size_t(size))) {
        m_afterCarriageReturn = false;
        return;
    }
    for (qsizetype k = 0; k < size; ++k) {
        m_unitStart = start + k;
        followLines(uchar(bytes[k]));
    }
}

// The unit begins at m_unitStart.
void XmlTokenLexer::followLines(char32_t unit)
{
    const qint64 next = m_unitStart + qMax(m_unitWidth, 1);
    if (unit == '\n') {
        if (!m_afterCarriageReturn)
            ++m_linesBefore;
        m_lineStart = next;
        m_afterCarriageReturn = false;
    } else if (unit == '\r') {
        ++m_linesBefore;
        m_lineStart = next;
        m_afterCarriageReturn = true;
    } else {
        m_afterCarriageReturn = false;
    }
}

void XmlTokenLexer::fail(Fault fault, qint64 offset)
{
    m_fault = fault;
    m_faultPlace = {m_linesBefore, m_lineStart, offset};
}

QStringDecoder XmlTokenLexer::decoder() const
{
    if (m_unitWidth == 2)
        return QStringDecoder(m_bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    if (m_unitWidth == 4)
        return QStringDecoder(m_bigEndian ? QStringConverter::Utf32BE : QStringConverter::Utf32LE);
    if (!m_encoding.isEmpty() && m_encodingVerdict == XmlEncodingRule::Verdict::Followed) {
        QStringDecoder named(m_encoding.constData());
        if (named.isValid())
            return named;
    }
    return QStringDecoder(QStringConverter::Utf8);
}

// False once the byte completes a unit that passes a limit.
bool XmlTokenLexer::takeByte(uchar byte)
{
    if (m_unitWidth == 0) {
        m_head.append(char(byte));
        if (m_head.size() < 4)
            return true;
        chooseUnitWidth();
        const QByteArray head = m_head;
        m_head.clear();
        for (char b : head)
            takeByte(uchar(b));
        return m_fault == Fault::None;
    }
    if (m_partialBytes == 0)
        m_unitStart = m_taken;
    ++m_taken;
    if (m_bigEndian)
        m_partial = (m_partial << 8) | byte;
    else
        m_partial |= char32_t(byte) << (8 * m_partialBytes);
    if (++m_partialBytes < m_unitWidth)
        return true;
    const char32_t unit = m_partial;
    m_partial = 0;
    m_partialBytes = 0;
    take(unit);
    return m_fault == Fault::None;
}

// As the reader chooses its decoder: a byte-order mark, else "<" as the first character.
void XmlTokenLexer::chooseUnitWidth()
{
    auto starts = [this](char const* prefix, int length) {
        return m_head.startsWith(QByteArrayView(prefix, length));
    };
    m_unitWidth = 1;
    m_byteOrderMark = starts("\xff\xfe", 2) || starts("\xfe\xff", 2) || starts("\0\0\xfe\xff", 4);
    if (starts("\xff\xfe\0\0", 4) || starts("<\0\0\0", 4))
        m_unitWidth = 4;
    else if (starts("\0\0\xfe\xff", 4) || starts("\0\0\0<", 4)) {
        m_unitWidth = 4;
        m_bigEndian = true;
    } else if (starts("\xff\xfe", 2) || starts("<\0", 2))
        m_unitWidth = 2;
    else if (starts("\xfe\xff", 2) || starts("\0<", 2)) {
        m_unitWidth = 2;
        m_bigEndian = true;
    }
}

void XmlTokenLexer::take(char32_t unit)
{
    if (m_sequences) {
        if (m_sequenceState == 0)
            m_sequenceStart = m_unitStart;
        if (!m_sequences->step(m_sequenceState, uchar(unit))) {
            fail(Fault::IllFormedCharacter, m_sequenceStart);
            return;
        }
    }
    ++m_length;
    if (m_reference != 0)
        followReference(unit);
    if (m_inDeclaration)
        followDeclaration(unit);
    step(unit);
    if (m_fault != Fault::None)
        return;
    if (m_length > MaxXmlTokenLength)
        fail(Fault::TokenTooLong, m_unitStart);
    else if (m_attributes > MaxXmlAttributes)
        fail(Fault::TooManyAttributes, m_unitStart);
    else
        followLines(unit);
}

// A reference other than to a character or to one of the five predefined entities may
// expand, as the reader expands it, up to its expansion limit.
void XmlTokenLexer::followReference(char32_t unit)
{
    if (m_reference == 1 && unit == '#') {
        m_reference = 0;
        return;
    }
    m_reference = 2;
    if (unit == ';') {
        static const QList<QByteArray> predefined = {"lt", "gt", "amp", "apos", "quot"};
        if (!predefined.contains(m_referenceName))
            m_length += MaxXmlEntityExpansion;
        m_reference = 0;
    } else if (unit >= 0x80 || m_referenceName.size() >= 4) {
        m_length += MaxXmlEntityExpansion;
        m_reference = 0;
    } else {
        m_referenceName.append(char(unit));
    }
}

// The first token, when it is the XML declaration, names the encoding the reader will use.
void XmlTokenLexer::followDeclaration(char32_t unit)
{
    if (m_state != State::ProcessingInstruction) {
        m_inDeclaration = false;
        if (m_declaration.startsWith("xml ")) {
            m_encoding = declaredEncoding(m_declaration);
            if (!m_encoding.isEmpty())
                m_encodingVerdict = XmlEncodingRule::judge(m_encoding, m_unitWidth, m_bigEndian, m_byteOrderMark);
            if (m_encodingVerdict == XmlEncodingRule::Verdict::Followed && m_unitWidth == 1 && !m_encoding.isEmpty())
                m_sequences = XmlEncodingRule::sequences(m_encoding);
            // Followed from here on, the declaration's bytes must have been ASCII.
            if (m_encodingVerdict != XmlEncodingRule::Verdict::Followed)
                fail(Fault::UnfollowedEncoding, m_unitStart);
            else if (m_sequences && m_declarationBeyondAscii) {
                // Named where the first byte other than ASCII stands.
                m_fault = Fault::DeclarationBeyondAscii;
                m_faultPlace = m_firstBeyondAscii;
            }
        }
        m_declaration.clear();
        return;
    }
    // White space runs are kept as one: what is left of a declaration the reader takes is
    // short, and a longer one is not followed.
    if (isSpace(unit) && !m_declaration.isEmpty() && m_declaration.back() == ' ')
        return;
    if (m_declaration.size() >= 1024) {
        fail(Fault::UnfollowedEncoding, m_unitStart);
        return;
    }
    if (unit >= 0x80 && !m_declarationBeyondAscii) {
        m_declarationBeyondAscii = true;
        m_firstBeyondAscii = {m_linesBefore, m_lineStart, m_unitStart};
    }
    m_declaration.append(isSpace(unit) ? ' ' : unit < 0x80 ? char(unit) : '?');
}

void XmlTokenLexer::beginTextRun()
{
    m_state = State::Text;
    m_length = 0;
}

void XmlTokenLexer::endMarkup(State next)
{
    if (next == State::Text)
        beginTextRun();
    else
        m_state = next;
}

void XmlTokenLexer::step(char32_t unit)
{
    switch (m_state) {
    case State::Text:
        if (unit == '<') {
            m_state = State::TagOpen;
            m_length = 1;
            m_attributes = 0;
            m_reference = 0;
        } else if (unit == '&') {
            m_reference = 1;
            m_referenceName.clear();
        }
        break;
    case State::TagOpen:
        m_resume = State::Text;
        m_closing = 0;
        if (unit == '/')
            m_state = State::EndTag;
        else if (unit == '?') {
            m_state = State::ProcessingInstruction;
            // Only the document's first token may be its declaration.
            m_inDeclaration = !m_pastFirstToken;
        } else if (unit == '!')
            m_state = State::Bang;
        else {
            m_state = State::StartTag;
            step(unit);
        }
        m_pastFirstToken = true;
        break;
    case State::Bang:
        if (unit == '-')
            m_state = State::BangDash;
        else if (unit == '[')
            m_state = State::CData;
        else
            // "D" of a document type declaration, or a byte an encoding may read as one.
            m_state = State::Doctype;
        break;
    case State::BangDash:
        m_state = unit == '-' ? State::Comment : State::Declaration;
        break;
    case State::StartTag:
        if (isQuote(unit)) {
            m_quote = unit;
            m_resume = State::StartTag;
            m_state = State::Literal;
        } else if (unit == '=') {
            ++m_attributes;
        } else if (unit == '>') {
            beginTextRun();
        }
        break;
    case State::Literal:
        if (unit == m_quote) {
            m_state = m_resume;
            m_reference = 0;
        } else if (unit == '&' && m_resume == State::StartTag) {
            m_reference = 1;
            m_referenceName.clear();
        }
        break;
    case State::EndTag:
    case State::Declaration:
        if (unit == '>')
            beginTextRun();
        break;
    case State::ProcessingInstruction:
        if (unit == '>' && m_closing > 0)
            endMarkup(m_resume);
        m_closing = unit == '?' ? 1 : 0;
        break;
    case State::Comment:
        if (unit == '>' && m_closing >= 2)
            endMarkup(m_resume);
        m_closing = unit == '-' ? m_closing + 1 : 0;
        break;
    case State::CData:
        if (unit == '>' && m_closing >= 2)
            beginTextRun();
        m_closing = unit == ']' ? m_closing + 1 : 0;
        break;
    case State::Doctype:
        if (isQuote(unit)) {
            m_quote = unit;
            m_resume = State::Doctype;
            m_state = State::Literal;
        } else if (unit == '[') {
            m_state = State::Subset;
        } else if (unit == '>') {
            beginTextRun();
        }
        break;
    case State::Subset:
        if (unit == '<')
            m_state = State::SubsetTagOpen;
        else if (unit == '%')
            m_length += MaxXmlEntityExpansion;
        else if (unit == ']')
            m_state = State::AfterSubset;
        break;
    case State::SubsetTagOpen:
        m_resume = State::Subset;
        m_closing = 0;
        if (unit == '?')
            m_state = State::ProcessingInstruction;
        else if (unit == '!')
            m_state = State::SubsetBang;
        else
            m_state = State::SubsetDeclaration;
        break;
    case State::SubsetBang:
        m_state = unit == '-' ? State::SubsetBangDash : State::SubsetDeclaration;
        if (m_state == State::SubsetDeclaration)
            step(unit);
        break;
    case State::SubsetBangDash:
        m_state = unit == '-' ? State::Comment : State::SubsetDeclaration;
        break;
    case State::SubsetDeclaration:
        if (isQuote(unit)) {
            m_quote = unit;
            m_resume = State::SubsetDeclaration;
            m_state = State::Literal;
        } else if (unit == '>') {
            m_state = State::Subset;
        }
        break;
    case State::AfterSubset:
        if (unit == '>')
            beginTextRun();
        break;
    }
}

} // namespace KelUtils
