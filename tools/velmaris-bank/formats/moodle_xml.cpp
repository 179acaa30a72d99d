#include "velmaris-bank/formats/moodle_xml.h"

#include <QBuffer>
#include <QHash>
#include <QImageWriter>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <optional>

#include "velmaris-bank/bank/bank_error.h"

namespace bank {
namespace {

const QString kCategoryRoot = QStringLiteral("$course$/top/RIPPAM/");
// The program's own judgements, so that Moodle answers the cadet as Velmaris does.
const QString kCorrectFeedback = QStringLiteral("Răspuns BUN. Bravo!");
const QString kIncorrectFeedback = QStringLiteral("Răspuns ERONAT. Învață!");

QByteArray pngOf(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32)))
        throw BankError("cannot make a PNG picture: " + writer.errorString());
    return png;
}

// <tag format="...">, its <text>, and any files the text refers to.
void writeText(QXmlStreamWriter& xml, const QString& tag, const QString& format, const QString& text,
               const QList<QPair<QString, QByteArray>>& files = {})
{
    xml.writeStartElement(tag);
    if (!format.isEmpty())
        xml.writeAttribute("format", format);
    xml.writeStartElement("text");
    if (text.contains('<') || text.contains('&'))
        xml.writeCDATA(text);
    else
        xml.writeCharacters(text);
    xml.writeEndElement();
    for (const auto& [name, bytes] : files) {
        xml.writeStartElement("file");
        xml.writeAttribute("name", name);
        xml.writeAttribute("path", "/");
        xml.writeAttribute("encoding", "base64");
        xml.writeCharacters(QString::fromLatin1(bytes.toBase64()));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void writeCategory(QXmlStreamWriter& xml, const QString& category)
{
    xml.writeStartElement("question");
    xml.writeAttribute("type", "category");
    xml.writeStartElement("category");
    xml.writeTextElement("text", kCategoryRoot + category);
    xml.writeEndElement();
    writeText(xml, "info", "moodle_auto_format", QString());
    xml.writeTextElement("idnumber", QString());
    xml.writeEndElement();
}

void writeQuestion(QXmlStreamWriter& xml, const Question& q)
{
    xml.writeStartElement("question");
    xml.writeAttribute("type", "multichoice");
    xml.writeStartElement("name");
    xml.writeTextElement("text", exchangeName(q.number, q.r1));
    xml.writeEndElement();

    QString html = "<p>" + q.text.toHtmlEscaped() + "</p>";
    QList<QPair<QString, QByteArray>> files;
    if (!q.picture.isEmpty()) {
        const QImage image = questionPicture(q);
        const QString name = QString("%1.png").arg(q.number, 3, 10, QChar('0'));
        // Natural size, and no smoothing where a browser zooms: the lights must stay sharp discs.
        html += QString(R"(<p><img src="@@PLUGINFILE@@/%1" alt="%2" width="%3" height="%4" )"
                        R"(style="image-rendering: pixelated; image-rendering: crisp-edges;"></p>)")
                    .arg(name, QString("Imaginea întrebării %1").arg(q.number))
                    .arg(image.width())
                    .arg(image.height());
        files.append({name, pngOf(image)});
    }
    writeText(xml, "questiontext", "html", html, files);
    writeText(xml, "generalfeedback", "html",
              q.r1.isEmpty() ? QString() : "<p>" + ruleTitle(q.r1).toHtmlEscaped() + "</p>");
    xml.writeTextElement("defaultgrade", "1.0000000");
    xml.writeTextElement("penalty", "0.3333333");
    xml.writeTextElement("hidden", "0");
    xml.writeTextElement("idnumber", QString());
    xml.writeTextElement("single", "true");
    xml.writeTextElement("shuffleanswers", "false");
    xml.writeTextElement("answernumbering", "abc");
    xml.writeTextElement("showstandardinstruction", "0");
    writeText(xml, "correctfeedback", "html", "<p>" + kCorrectFeedback.toHtmlEscaped() + "</p>");
    writeText(xml, "partiallycorrectfeedback", "html", QString());
    writeText(xml, "incorrectfeedback", "html", "<p>" + kIncorrectFeedback.toHtmlEscaped() + "</p>");
    const QString variants[] = {q.sol1, q.sol2, q.sol3};
    for (int i = 0; i < 3; ++i) {
        xml.writeStartElement("answer");
        xml.writeAttribute("fraction", q.rb == QString(QChar('A' + i)) ? "100" : "0");
        xml.writeAttribute("format", "html");
        xml.writeStartElement("text");
        const QString escaped = variants[i].toHtmlEscaped();
        if (escaped != variants[i])
            xml.writeCDATA(escaped);
        else
            xml.writeCharacters(escaped);
        xml.writeEndElement();
        writeText(xml, "feedback", "html", QString());
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

// --- reading ---

// An element's <text> and <file> children as they were.
struct Text {
    QString format;
    QString text;
    QHash<QString, QByteArray> files;  // name -> decoded bytes
    bool badFile = false;
};

// Base64 as Moodle decodes it: line breaks and blanks inside are allowed, anything else outside the alphabet
// is not.
std::optional<QByteArray> fromBase64(const QString& text)
{
    QByteArray data = text.toLatin1();
    data.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; });
    const auto decoded = QByteArray::fromBase64Encoding(data, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

void skipElement(QXmlStreamReader& xml)
{
    xml.skipCurrentElement();
}

Text readText(QXmlStreamReader& xml)
{
    Text t;
    t.format = xml.attributes().value("format").toString();
    while (xml.readNextStartElement()) {
        if (xml.name() == u"text") {
            t.text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.name() == u"file") {
            const QString name = xml.attributes().value("name").toString();
            const QString encoding = xml.attributes().value("encoding").toString();
            const std::optional<QByteArray> decoded = fromBase64(xml.readElementText());
            if (encoding != "base64" || !decoded)
                t.badFile = true;
            else
                t.files.insert(name, *decoded);
        } else {
            skipElement(xml);
        }
    }
    return t;
}

// The plain text of a field in any of Moodle's text formats; an entity that cannot be decoded sets problem.
QString plainText(const Text& t, QString& problem)
{
    TextFormat format = TextFormat::Html;  // "html", "moodle_auto_format" and a field without a format
    if (t.format == "plain_text")
        format = TextFormat::Plain;
    else if (t.format == "markdown")
        format = TextFormat::Markdown;
    QString found;
    const QString text = displayedText(t.text, format, &found);
    if (problem.isEmpty())
        problem = found;
    return text;
}

// The picture the question text shows, if any; sets problem when it cannot be taken.
QByteArray pictureOf(const Text& t, QString& problem)
{
    static const QRegularExpression image(QStringLiteral("<img\\b[^>]*\\bsrc\\s*=\\s*[\"']([^\"']*)[\"']"),
                                          QRegularExpression::CaseInsensitiveOption);
    QStringList sources;
    for (auto it = image.globalMatch(t.text); it.hasNext();)
        sources << it.next().captured(1);
    if (sources.isEmpty())
        return {};
    if (sources.size() > 1) {
        problem = QString("%1 pictures in the question text; the bank shows one").arg(sources.size());
        return {};
    }
    const QString prefix = QStringLiteral("@@PLUGINFILE@@/");
    if (!sources[0].startsWith(prefix)) {
        problem = QString("the picture '%1' is not embedded in the file").arg(sources[0]);
        return {};
    }
    const QString name = QUrl::fromPercentEncoding(sources[0].mid(prefix.size()).toUtf8());
    if (!t.files.contains(name)) {
        problem = QString("the picture '%1' is missing from the file").arg(name);
        return {};
    }
    const QByteArray bytes = t.files.value(name);
    if (readPicture(bytes, name, problem).isNull())
        return {};
    return bytes;
}

ImportedQuestion readQuestion(QXmlStreamReader& xml, const QString& type, int line)
{
    ImportedQuestion q;
    q.line = line;
    Text text;
    QString single = "true";
    bool pictureInAnswer = false;
    QString oldImageName;
    QString oldImageData;
    QString textProblem;
    while (xml.readNextStartElement()) {
        const auto name = xml.name();
        if (name == u"name") {
            QString ignored;  // a name is only shown in messages
            q.name = plainText(readText(xml), ignored);
        } else if (name == u"questiontext") {
            text = readText(xml);
        } else if (name == u"single") {
            single = xml.readElementText().trimmed();
        } else if (name == u"image") {
            oldImageName = xml.readElementText().trimmed();
        } else if (name == u"image_base64") {
            oldImageData = xml.readElementText();
        } else if (name == u"answer") {
            Answer a;
            bool ok = false;
            a.fraction = xml.attributes().value("fraction").toDouble(&ok) / 100.0;
            if (!ok)
                a.fraction = 0;
            const Text t = readText(xml);
            pictureInAnswer = pictureInAnswer || !t.files.isEmpty() || t.text.contains(QStringLiteral("<img"));
            a.text = plainText(t, textProblem);
            q.answers.append(a);
        } else {
            skipElement(xml);
        }
    }
    // Moodle still reads the picture fields of its old format: the file is added to the question text and
    // shown after it.
    if (!oldImageName.isEmpty() && !oldImageData.trimmed().isEmpty()) {
        const QString file = QString(oldImageName).replace('/', '_');
        const std::optional<QByteArray> decoded = fromBase64(oldImageData);
        if (decoded)
            text.files.insert(file, *decoded);
        else
            text.badFile = true;
        text.text +=
            QString(R"( <img src="@@PLUGINFILE@@/%1" />)").arg(QString::fromLatin1(QUrl::toPercentEncoding(file)));
    } else if (!oldImageName.isEmpty()) {
        q.problem = QString("the picture '%1' is not embedded in the file").arg(oldImageName);
    }
    q.text = plainText(text, textProblem);
    q.rule = ruleFromName(q.name);
    q.number = numberFromName(q.name);
    if (q.name.isEmpty())
        q.name = q.text.left(40);
    if (type != "multichoice") {
        q.problem = QString("a %1 question, not multiple choice").arg(type);
        return q;
    }
    if (single != "true" && single != "1") {
        // Several answers may be ticked; with exactly one fully right it still means one right answer.
        int right = 0;
        for (const Answer& a : q.answers)
            right += a.fraction > 1e-6 ? 1 : 0;
        if (right != 1) {
            q.problem = "a question with several right answers";
            return q;
        }
    }
    if (!q.problem.isEmpty())
        return q;
    if (text.badFile) {
        q.problem = "a file of the question text is not valid base64";
        return q;
    }
    if (pictureInAnswer) {
        q.problem = "a picture in an answer; the bank's answers are text";
        return q;
    }
    q.picture = pictureOf(text, q.problem);
    if (q.problem.isEmpty())
        q.problem = textProblem;
    return q;
}

}  // namespace

QByteArray writeMoodleXml(const QList<Question>& questions)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement("quiz");
    QString category;
    for (const Question& q : questions) {
        const QString c = colregCategory(q.r1, q.number);
        if (c != category) {
            writeCategory(xml, c);
            category = c;
        }
        writeQuestion(xml, q);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QList<ImportedQuestion> readMoodleXml(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readMoodleXmlFrom(buffer);
}

QList<ImportedQuestion> readMoodleXmlFrom(QIODevice& device)
{
    QXmlStreamReader xml(&device);
    QList<ImportedQuestion> questions;
    if (!xml.readNextStartElement() || xml.name() != u"quiz") {
        if (xml.hasError())
            throw BankError(QString("line %1: not well-formed XML: %2").arg(xml.lineNumber()).arg(xml.errorString()));
        throw BankError(QString("line %1: a Moodle XML file starts with <quiz>").arg(xml.lineNumber()));
    }
    while (xml.readNextStartElement()) {
        if (xml.name() != u"question") {
            skipElement(xml);
            continue;
        }
        const int line = int(xml.lineNumber());
        const QString type = xml.attributes().value("type").toString();
        if (type == "category") {
            skipElement(xml);
            continue;
        }
        questions.append(readQuestion(xml, type, line));
    }
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        throw BankError(QString("line %1: not well-formed XML: %2").arg(xml.lineNumber()).arg(xml.errorString()));
    return questions;
}

}  // namespace bank
