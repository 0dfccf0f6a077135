// SPDX-License-Identifier: MIT
// The JUnit report of vellora-cli check, read back by Qt's XML reader.
#include "clirun.h"
#include "testfiles.h"

#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

namespace {

using testfiles::MakeBmp;
using testfiles::TempDir;

TEST(Junit, OneTestcasePerFileWithFailuresAndErrors) {
    TempDir dir;
    dir.write("fits.bmp", MakeBmp(16, 16, 8, 40, [](int x, int) { return static_cast<std::uint32_t>(x); }));
    dir.write("large & <odd>.bmp",
              MakeBmp(128, 64, 24, 40, [](int x, int y) { return static_cast<std::uint32_t>(x * y); }));
    dir.write("broken.bmp", {'B', 'M'});
    const std::string report = dir.file("out/report.xml");
    std::filesystem::create_directories(dir.file("out"));
    const CliRun r = RunTool({"check", dir.file(""), "--junit", report, "--jobs", "2"});
    EXPECT_EQ(r.code, 2);

    QFile file(QString::fromStdString(report));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::map<std::string, std::string> outcome; // testcase name -> "pass", "failure", "error"
    std::string current;
    int suites = 0;
    QXmlStreamAttributes suite;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"testsuite") {
                ++suites;
                suite = xml.attributes();
            } else if (xml.name() == u"testcase") {
                current = xml.attributes().value(QLatin1String("name")).toString().toStdString();
                outcome[current] = "pass";
            } else if (xml.name() == u"failure" || xml.name() == u"error") {
                outcome[current] = xml.name().toString().toStdString();
                EXPECT_FALSE(xml.attributes().value(QLatin1String("message")).isEmpty());
            }
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(suites, 1);
    EXPECT_EQ(suite.value(QLatin1String("tests")).toInt(), 3);
    EXPECT_EQ(suite.value(QLatin1String("failures")).toInt(), 1);
    EXPECT_EQ(suite.value(QLatin1String("errors")).toInt(), 1);
    EXPECT_EQ(outcome[dir.file("fits.bmp")], "pass");
    EXPECT_EQ(outcome[dir.file("large & <odd>.bmp")], "failure");
    EXPECT_EQ(outcome[dir.file("broken.bmp")], "error");
}

// A file name need not be UTF-8 and may hold control characters; the
// report still parses, and the name reads with U+FFFD where its bytes were
// no text.
TEST(Junit, NamesThatAreNoTextStillParse) {
    TempDir dir;
    dir.write("b\xE9ton.bmp",
              MakeBmp(16, 16, 8, 40, [](int x, int) { return static_cast<std::uint32_t>(x); }));
    dir.write("bell\x07.bmp", {'B', 'M'});
    const std::string report = dir.file("report.xml");
    const CliRun r = RunTool({"check", dir.file(""), "--junit", report});
    EXPECT_EQ(r.code, 2);

    QFile file(QString::fromStdString(report));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::vector<std::string> names;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"testcase")
            names.push_back(xml.attributes().value(QLatin1String("name")).toString().toStdString());
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    ASSERT_EQ(names.size(), 2u);
    // In the order of their bytes: "bell" before "b\xE9ton".
    EXPECT_EQ(names[0], dir.file("bell\xEF\xBF\xBD.bmp"));
    EXPECT_EQ(names[1], dir.file("b\xEF\xBF\xBDton.bmp"));
}

} // namespace
