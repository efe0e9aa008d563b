// Reading dumps: gzip streams, the XML of records, bad records skipped, cut files refused.

#include "ImportFixture.h"

using namespace kv;
using namespace kv::test;
using namespace kv::titleimport;
using Next = XmlRecordReader::Next;

namespace {

std::string drain(DumpInput& in, size_t chunk = 7) {
    std::string out, buf(chunk, '\0');
    for (;;) {
        const int64_t n = in.read(buf.data(), buf.size());
        if (n <= 0) {
            EXPECT_EQ(n, 0) << in.error().toStdString();
            return out;
        }
        out.append(buf.data(), size_t(n));
    }
}

TEST(DumpInput, PlainGzipAndConcatenatedMembersReadTheSame) {
    const std::string text = "<releases>\n" + std::string(100000, 'x') + "</releases>\n";
    DumpInput plain;
    plain.openBytes("a.xml", text);
    EXPECT_FALSE(plain.compressed());
    EXPECT_EQ(drain(plain), text);

    DumpInput gz;
    gz.openBytes("a.xml.gz", gzipped(text));
    EXPECT_TRUE(gz.compressed());
    EXPECT_EQ(drain(gz, 4096), text);
    EXPECT_EQ(gz.position(), text.size());

    DumpInput two;
    two.openBytes("b.xml.gz", gzipped(text.substr(0, 5000)) + gzipped(text.substr(5000)) +
                                  std::string(8, '\0'));
    EXPECT_EQ(drain(two, 100), text)
        << "members follow one another; zero padding at the end is no data";
}

TEST(DumpInput, CutOrDamagedGzipNamesTheByte) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "<release id=\"" + std::to_string(i) + "\"><title>T</title></release>\n";
    const std::string gz = gzipped(text);

    DumpInput cut;
    cut.openBytes("cut.xml.gz", gz.substr(0, gz.size() / 2));
    std::string buf(65536, '\0');
    int64_t n;
    while ((n = cut.read(buf.data(), buf.size())) > 0) {
    }
    EXPECT_EQ(n, -1);
    EXPECT_EQ(cut.error(),
              QStringLiteral("cut.xml.gz: the compressed data ends early, at byte %1 of the "
                             "file: it is incomplete")
                  .arg(gz.size() / 2));

    std::string damaged = gz;
    for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 64; ++i)
        damaged[i] = char(~damaged[i]);
    DumpInput bad;
    bad.openBytes("bad.xml.gz", damaged);
    while ((n = bad.read(buf.data(), buf.size())) > 0) {
    }
    EXPECT_EQ(n, -1);
    EXPECT_TRUE(bad.error().startsWith("bad.xml.gz: the compressed data is damaged at byte "))
        << bad.error().toStdString();

    DumpInput trailing;
    trailing.openBytes("t.xml.gz", gzipped("<a/>") + "junk");
    while ((n = trailing.read(buf.data(), buf.size())) > 0) {
    }
    EXPECT_EQ(n, -1) << "bytes after the compressed data are not silently dropped";
}

TEST(DumpInput, MissingFileAndFolder) {
    DumpInput in;
    EXPECT_FALSE(in.open("/nonexistent/releases.xml.gz"));
    EXPECT_TRUE(in.error().startsWith("/nonexistent/releases.xml.gz: cannot open: "));
    DumpInput dir;
    EXPECT_FALSE(dir.open(KV_SOURCE_DIR));
}

// Reads every record of `xml`, giving each one's name, id and text of <title> or the
// malformed reason, with a small buffer so records straddle refills.
std::vector<std::string> records(const std::string& xml, QString* failure = nullptr,
                                 size_t buffer = 64) {
    DumpInput in;
    in.openBytes("d.xml", xml);
    XmlRecordReader r(in, buffer, 4096);
    std::vector<std::string> out;
    if (!r.start()) {
        if (failure) *failure = r.error();
        return out;
    }
    for (;;) {
        const Next n = r.next();
        if (n == Next::End) return out;
        if (n == Next::Failed) {
            if (failure) *failure = r.error();
            return out;
        }
        if (n == Next::Malformed) {
            out.push_back("bad " + std::string(r.malformedId()) + ": " + r.error().toStdString());
            continue;
        }
        const XmlRecord& x = r.record();
        out.push_back(std::string(x.root().name) + " " + std::string(x.attr(x.root(), "id")) +
                      ": " + std::string(x.childText(x.root(), "title")));
    }
}

TEST(XmlRecords, TextAttributesEntitiesAndMarkup) {
    const std::string xml = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE "
                            "releases [ <!ENTITY x \"]>\"> ]>\n"
                            "<!-- made for a test --><releases>\n"
                            "  <release id='1'><title>Rock &amp; Roll &#x263A; "
                            "&#233;&lt;&gt;&quot;&apos;</title></release>\n"
                            "  <release id=\"2\" status=\"Accepted\"><title><![CDATA[a <b> & c]]> "
                            "and <!-- no --> more</title>"
                            "<?pi "
                            "x?><empty/><artists><artist><id>3</id><name>A&#13;\nB</name></"
                            "artist></artists></release>\n"
                            "  stray text <?between records?>\n"
                            "  <release id=\"3\" a = \"x&#10;y&amp;z\tw\" /></releases>\n";
    EXPECT_EQ(records(xml),
              (std::vector<std::string>{"release 1: Rock & Roll \xE2\x98\xBA \xC3\xA9<>\"'",
                                        "release 2: a <b> & c and  more", "release 3: "}));

    DumpInput in;
    in.openBytes("d.xml", xml);
    XmlRecordReader r(in);
    ASSERT_TRUE(r.start());
    EXPECT_EQ(r.rootName(), "releases");
    ASSERT_EQ(r.next(), Next::Record);
    ASSERT_EQ(r.next(), Next::Record);
    const XmlRecord& x = r.record();
    const XmlNode* artist = x.child(*x.child(x.root(), "artists"), "artist");
    ASSERT_NE(artist, nullptr);
    EXPECT_EQ(x.childText(*artist, "name"), "A\r\nB");
    bool present = false;
    EXPECT_EQ(x.attr(x.root(), "status", &present), "Accepted");
    EXPECT_TRUE(present);
    x.attr(x.root(), "nothing", &present);
    EXPECT_FALSE(present);
    ASSERT_EQ(r.next(), Next::Record);
    EXPECT_EQ(r.record().attr(r.record().root(), "a"), "x\ny&z w")
        << "white space in attribute values is normalised, character references are not";
    EXPECT_EQ(r.next(), Next::End);
    EXPECT_EQ(r.next(), Next::End);
}

TEST(XmlRecords, MalformedRecordsAreSkippedAndTheRestRead) {
    const std::string xml = "<releases>"
                            "<release id=\"1\"><title>One</title></release>"
                            "<release id=\"2\"><title>Two</titel></release>"
                            "<release id=\"3\"><title>Three &bogus; </title></release>"
                            "<release id=\"4\" x=y><title>Four</title></release>"
                            "<release id=\"5\"><title>Five</title><a href=\"<\"/></release>"
                            "<release id=\"6\"><title>Six <!DOCTYPE x></title></release>"
                            "<release id=\"7\"><title>Seven</title></release>"
                            "<release id=\"8\"><title>Never closed</title>"
                            "</releases>";
    EXPECT_EQ(
        records(xml),
        (std::vector<std::string>{
            "release 1: One", "bad 2: an end tag that does not match its start tag",
            "bad 3: an unknown or malformed entity", "bad : an attribute value without quotes",
            "bad 5: a '<' inside an attribute value", "bad 6: a declaration inside a record",
            "release 7: Seven", "bad 8: an end tag that does not match its start tag"}));
}

TEST(XmlRecords, TooLongOrTooDeepRecordsAreSkipped) {
    std::string deep = "<release id=\"2\">";
    for (int i = 0; i < 300; ++i)
        deep += "<a>";
    std::string xml = "<releases><release id=\"1\"><title>" + std::string(5000, 'x') +
                      "</title></release>" + deep +
                      "</release><release id=\"3\"><title>ok</title></release></releases>";
    EXPECT_EQ(records(xml),
              (std::vector<std::string>{"bad 1: a record longer than the largest allowed",
                                        "bad 2: elements nested too deeply", "release 3: ok"}));
}

TEST(XmlRecords, CutFilesEndWithTheByteOffset) {
    const std::string whole = "<releases><release id=\"1\"><title>One</title></release>"
                              "<release id=\"2\"><title>Two</title></release></releases>";
    QString failure;
    std::vector<std::string> got = records(whole.substr(0, 70), &failure);
    EXPECT_EQ(got, std::vector<std::string>{"release 1: One"});
    EXPECT_EQ(
        failure,
        "d.xml: the XML ends early, at byte 70, inside the record that starts at byte 54 (id 2)");

    // A record that outgrows the buffer before the file ends keeps its id for the message.
    records("<releases><release id=\"9\"><title>" + std::string(500, 'x'), &failure);
    EXPECT_EQ(
        failure,
        "d.xml: the XML ends early, at byte 533, inside the record that starts at byte 10 (id 9)");

    got = records(whole.substr(0, 54), &failure);
    EXPECT_EQ(failure, "d.xml: the XML ends early, at byte 54, before </releases>");
    records(whole.substr(0, 5), &failure);
    EXPECT_EQ(failure, "d.xml: the XML ends early, at byte 5, inside the root element's start tag");
    records("", &failure);
    EXPECT_EQ(failure, "d.xml: the file is empty");
    records("artist_id,name\n1,x\n", &failure);
    EXPECT_EQ(failure, "d.xml: the file is not XML");
    records("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><releases/>", &failure);
    EXPECT_EQ(failure, "d.xml: the XML is not in UTF-8");
    records("\xFF\xFE<\0r\0", &failure);
    EXPECT_EQ(failure, "d.xml: the XML is in UTF-16; the dumps are UTF-8");
    EXPECT_TRUE(records("<releases/>").empty());
}

TEST(XmlRecords, CutGzipSaysSoRatherThanEndingEarly) {
    std::string xml = "<releases>";
    for (int i = 0; i < 5000; ++i)
        xml += "<release id=\"" + std::to_string(i) + "\"><title>T</title></release>";
    xml += "</releases>";
    const std::string gz = gzipped(xml);
    DumpInput in;
    in.openBytes("r.xml.gz", gz.substr(0, gz.size() - 100));
    XmlRecordReader r(in, 1024);
    ASSERT_TRUE(r.start());
    Next n;
    int count = 0;
    while ((n = r.next()) == Next::Record)
        ++count;
    EXPECT_EQ(n, Next::Failed);
    EXPECT_GT(count, 1000);
    EXPECT_TRUE(r.error().startsWith("r.xml.gz: the compressed data ends early"))
        << r.error().toStdString();
}

} // namespace
