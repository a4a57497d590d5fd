// preview-samples STORE: writes a small store whose messages show what the preview does: an
// Outlook Express HTML message (quoted-printable, with a picture from the internet), a
// quoted-printable text message, a message with an inline picture, one with attachments, one
// with a program as its attachment, a deleted one, and enough ordinary ones to sort and
// narrow the list.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <string>
#include <vector>

#include "store_builder.h"

namespace {

namespace build = dbx::build;

struct Sample {
    std::string from, fromName, to, subject, body;
    std::int64_t when = 0;
    bool deleted = false;
};

std::string Base64Lines(const QByteArray& bytes) {
    const QByteArray encoded = bytes.toBase64();
    std::string out;
    for (qsizetype at = 0; at < encoded.size(); at += 76) {
        out += encoded.mid(at, 76).toStdString() + "\r\n";
    }
    return out;
}

QByteArray Picture() {
    QImage image(320, 120, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 320, 120);
    gradient.setColorAt(0, QColor(0x1e, 0x5a, 0xa8));
    gradient.setColorAt(1, QColor(0x6c, 0xc0, 0x4a));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    painter.setFont(QFont("DejaVu Sans", 20, QFont::Bold));
    painter.drawText(image.rect(), Qt::AlignCenter, "Inline picture");
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

std::string Headers(const Sample& s, const std::string& rest) {
    return "From: \"" + s.fromName + "\" <" + s.from + ">\r\nTo: <" + s.to +
           ">\r\nSubject: " + s.subject +
           "\r\nDate: Tue, 5 Mar 2002 14:30:00 +0100\r\nMIME-Version: 1.0\r\n" + rest;
}

std::vector<Sample> Samples() {
    std::vector<Sample> samples;
    std::int64_t when = 1015335000;

    Sample html{"ana@example.com.br",    "Ana Souza", "rh@example.org",
                "Vaga de estagi\xE1rio", "",          when};
    html.body =
        Headers(html,
                "Content-Type: text/html;\r\n\tcharset=\"iso-8859-1\"\r\n"
                "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n"
                "<HTML><HEAD>\r\n<META http-equiv=3DContent-Type content=3D\"text/html; =\r\n"
                "charset=3Diso-8859-1\">\r\n<META content=3D\"MSHTML 6.00.2800.1106\" "
                "name=3DGENERATOR>\r\n<STYLE></STYLE>\r\n</HEAD>\r\n<BODY bgColor=3D#ffffff>\r\n"
                "<DIV><FONT face=3DArial size=3D2>Ol=E1 Jo=E3o,</FONT></DIV>\r\n"
                "<DIV><FONT face=3DArial size=3D2>Segue a descri=E7=E3o da vaga de "
                "<B>estagi=E1rio</B> que conversamos.</FONT></DIV>\r\n"
                "<DIV><FONT face=3DArial size=3D2>Mais detalhes em <A =\r\n"
                "href=3D\"http://www.example.com.br/vagas\">www.example.com.br/vagas</A>.</FONT>"
                "</DIV>\r\n<DIV><IMG src=3D\"http://tracker.example.net/open.gif\" width=3D1 "
                "height=3D1></DIV>\r\n<DIV><FONT face=3DArial size=3D2>Abra=E7os,<BR>Ana</FONT>"
                "</DIV></BODY></HTML>\r\n");
    samples.push_back(html);

    Sample text{
        "jurgen@example.de", "J\xFCrgen M\xFCller", "team@example.org", "Protokoll der Sitzung", "",
        when + 86400};
    text.body = Headers(
        text,
        "Content-Type: text/plain;\r\n\tcharset=\"utf-8\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
        "Hallo zusammen,\r\n\r\nanbei das Protokoll der gestrigen Sitzung. Die gr=C3=B6=C3=9Ften "
        "=C3=84nderungen betreffen den Zeitplan f=C3=BCr das n=C3=A4chste Quartal; bitte lest "
        "den Abschnitt =E2=80=9EBudget=E2=80=9C besonders aufmerksam, weil sich dort die Zahlen "
        "gegen=C3=BCber dem Entwurf ge=C3=A4ndert haben.\r\n\r\n"
        "Die Unterlagen liegen unter https://intranet.example.de/protokolle/2002-03 bereit.\r\n"
        "Fragen bitte an mailto:jurgen@example.de.\r\n\r\nViele "
        "Gr=C3=BC=C3=9Fe\r\nJ=C3=BCrgen\r\n");
    samples.push_back(text);

    Sample inlinePicture{
        "design@example.fr", "Studio Lumi\xE8re", "client@example.org", "Nouvelle maquette", "",
        when + 2 * 86400};
    inlinePicture.body = Headers(
        inlinePicture,
        "Content-Type: multipart/related;\r\n\ttype=\"multipart/alternative\";\r\n"
        "\tboundary=\"----=_NextPart_000_0001\"\r\n\r\n"
        "------=_NextPart_000_0001\r\nContent-Type: text/html;\r\n\tcharset=\"windows-1252\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
        "<HTML><BODY bgColor=3D#ffffff><P><FONT face=3DVerdana size=3D2>Voici la nouvelle "
        "maquette, comme convenu =E0 la r=E9union&nbsp;:</FONT></P>\r\n"
        "<P><IMG src=3D\"cid:maquette.png@01C1C4\"></P><P><FONT face=3DVerdana size=3D2>"
        "Cordialement,<BR>l'=E9quipe</FONT></P></BODY></HTML>\r\n\r\n"
        "------=_NextPart_000_0001\r\nContent-Type: image/png;\r\n\tname=\"maquette.png\"\r\n"
        "Content-Transfer-Encoding: base64\r\nContent-ID: <maquette.png@01C1C4>\r\n\r\n" +
            Base64Lines(Picture()) + "\r\n------=_NextPart_000_0001--\r\n");
    samples.push_back(inlinePicture);

    Sample attachment{"sales@example.co.uk",      "Sales Desk", "buyer@example.org",
                      "Quotation and price list", "",           when + 3 * 86400};
    QByteArray pdf("%PDF-1.4\n");
    pdf += QByteArray(180000, 'x');
    attachment.body = Headers(
        attachment,
        "Content-Type: multipart/mixed;\r\n\tboundary=\"----=_NextPart_000_0002\"\r\n\r\n"
        "------=_NextPart_000_0002\r\nContent-Type: text/plain;\r\n\tcharset=\"windows-1252\"\r\n"
        "Content-Transfer-Encoding: 7bit\r\n\r\nDear customer,\r\n\r\nplease find our quotation "
        "attached.\r\n\r\nKind regards\r\nSales Desk\r\n\r\n"
        "------=_NextPart_000_0002\r\nContent-Type: "
        "application/pdf;\r\n\tname=\"quotation.pdf\"\r\n"
        "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n"
        "\tfilename=\"quotation.pdf\"\r\n\r\n" +
            Base64Lines(pdf) +
            "\r\n------=_NextPart_000_0002\r\nContent-Type: text/csv;\r\n\tname=\"price "
            "list.csv\"\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\nContent-Disposition: attachment;\r\n"
            "\tfilename=\"price list.csv\"\r\n\r\nitem;price\r\nchair;49.90\r\ntable;189.00\r\n"
            "------=_NextPart_000_0002--\r\n");
    samples.push_back(attachment);

    // A program dressed as a document: opened only after a warning.
    Sample parcel{"service@parcels.example",
                  "Parcel Service",
                  "me@example.org",
                  "Your parcel could not be delivered",
                  "",
                  when + 4 * 86400};
    parcel.body = Headers(
        parcel,
        "Content-Type: multipart/mixed;\r\n\tboundary=\"----=_NextPart_000_0003\"\r\n\r\n"
        "------=_NextPart_000_0003\r\nContent-Type: text/plain;\r\n\tcharset=\"us-ascii\"\r\n\r\n"
        "We could not deliver your parcel. Print the delivery note attached and take it to "
        "your post office.\r\n\r\n"
        "------=_NextPart_000_0003\r\nContent-Type: application/octet-stream;\r\n"
        "\tname=\"delivery_note.pdf.exe\"\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment;\r\n\tfilename=\"delivery_note.pdf.exe\"\r\n\r\n" +
            Base64Lines(QByteArray("MZ\x90\x00 not a real program", 23)) +
            "\r\n------=_NextPart_000_0003--\r\n");
    samples.push_back(parcel);

    Sample deleted{
        "old.friend@example.net", "Old Friend", "me@example.org", "Fotos vom Wochenende", "",
        when - 30 * 86400,        true};
    deleted.body = Headers(deleted,
                           "Content-Type: text/plain; charset=\"windows-1252\"\r\n"
                           "Content-Transfer-Encoding: 8bit\r\n\r\nHallo!\r\n\r\nHier sind die "
                           "Fotos vom Wochenende \x96 sch\xF6n war's.\r\n\r\nBis bald\r\n");
    samples.push_back(deleted);

    const char* names[] = {"Carla Diaz", "Bruno Keller", "Emma Walsh",  "Farid Haddad",
                           "Greta Lind", "Hugo Martin",  "Ines Duarte", "Kenji Sato",
                           "Lena Novak", "Marco Rossi",  "Nina Berg",   "Oscar Lopez"};
    const char* topics[] = {"Meeting notes",      "Invoice 2002-031", "Holiday plans",
                            "Re: budget",         "Project kickoff",  "Fw: photos",
                            "Server maintenance", "Lunch on Friday?"};
    for (int i = 0; i < 36; ++i) {
        const std::string name = names[i % 12];
        std::string address = name.substr(0, name.find(' '));
        for (char& c : address) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        Sample s{address + "@example.org",
                 name,
                 "me@example.org",
                 topics[(i * 5) % 8],
                 "",
                 when - (i * 7919 % 200) * 3600 * 11,
                 i % 9 == 4};
        s.body = Headers(s, "Content-Type: text/plain; charset=\"us-ascii\"\r\n\r\nMessage " +
                                std::to_string(i + 1) + " about " + s.subject + ".\r\n");
        samples.push_back(s);
    }
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: preview-samples STORE.dbx\n");
        return 2;
    }
    // Fonts for the picture; no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::vector<Sample> samples = Samples();
    build::StoreBuilder builder;
    builder.Header();
    std::uint32_t recordAt = build::kFirstSegment;
    std::uint32_t bodyAt = build::kFirstSegment + std::uint32_t(samples.size()) * 0x400 + 0x1000;
    std::uint32_t index = 1;
    for (const Sample& sample : samples) {
        build::MessageFields fields;
        fields.index = index++;
        fields.from = sample.from;
        fields.fromName = sample.fromName;
        fields.to = sample.to;
        fields.subject = sample.subject;
        fields.filetime = build::FileTimeFromUnix(sample.when);
        fields.bodyOffset = bodyAt;
        fields.bodySize = std::uint32_t(sample.body.size());
        const auto props = build::TypicalProperties(fields);
        const std::size_t used = sample.deleted ? builder.PutFreedRecord(recordAt, props, 0)
                                                : builder.PutRecord(recordAt, props);
        recordAt += std::uint32_t((used + 0x3FF) & ~std::size_t(0x3FF));
        builder.PutBody(bodyAt, sample.body, sample.deleted);
        bodyAt += std::uint32_t(build::BlocksFor(sample.body.size()) * build::kBlockSize);
    }
    builder.Save(argv[1]);
    std::printf("%zu messages written to %s\n", samples.size(), argv[1]);
    return 0;
}
