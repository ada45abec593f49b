// The settings file: what is written comes back, and what comes back is checked.
#include "ui/settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

namespace tracelink {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString path() const { return dir.filePath("conf/tracelink.ini"); }

  // Writes values as another program (or a hand) would, past the checks.
  void writeRaw(const std::function<void(QSettings&)>& write) {
    QSettings raw(path(), QSettings::IniFormat);
    write(raw);
    raw.sync();
    ASSERT_EQ(raw.status(), QSettings::NoError);
  }
};

TEST_F(SettingsTest, WhatIsWrittenComesBack) {
  {
    Settings s(path());
    EXPECT_EQ(s.problem(), Settings::Problem::None);
    EXPECT_TRUE(s.lastPort().isEmpty());
    EXPECT_TRUE(s.recentFiles().isEmpty());
    EXPECT_FALSE(s.printTexts().has_value());
    EXPECT_TRUE(s.sync());
    // Reading alone leaves no file behind.
    EXPECT_FALSE(QFileInfo::exists(path()));
    s.setLastPort("/dev/ttyUSB0");
    s.setLastFolder("/home/u/traces");
    s.setRecentFiles({"/home/u/traces/b.sor", "/home/u/中文/a.otdr"});
    s.setPrintTexts({"vt520X", "C-77", "F-3", "G.652", "Li Wei", "2019-12-01"});
    s.setGeometry("Measurements", QByteArray("\x01\x02\x00\x03", 4));
  }
  Settings s(path());
  EXPECT_EQ(s.problem(), Settings::Problem::None);
  EXPECT_EQ(s.lastPort(), "/dev/ttyUSB0");
  EXPECT_EQ(s.lastFolder(), "/home/u/traces");
  EXPECT_EQ(s.recentFiles(), (QStringList{"/home/u/traces/b.sor", "/home/u/中文/a.otdr"}));
  ASSERT_TRUE(s.printTexts().has_value());
  const ReportHeader h = *s.printTexts();
  EXPECT_EQ(h.deviceName, "vt520X");
  EXPECT_EQ(h.cableNo, "C-77");
  EXPECT_EQ(h.fiberNo, "F-3");
  EXPECT_EQ(h.fiberType, "G.652");
  EXPECT_EQ(h.operatorName, "Li Wei");
  EXPECT_TRUE(h.time.isEmpty());  // the time is never remembered
  EXPECT_EQ(s.geometry("Measurements"), QByteArray("\x01\x02\x00\x03", 4));
  EXPECT_TRUE(s.geometry("Other").isEmpty());
}

TEST_F(SettingsTest, ValuesThatMakeNoSenseAreTakenAsAbsent) {
  QStringList many;
  for (int i = 0; i < 14; ++i) many << QStringLiteral("/t/%1.otdr").arg(i);
  const struct {
    const char* what;
    std::function<void(QSettings&)> write;
    QString port;
    QString folder;
    QStringList recent;
  } cases[] = {
      {"one recent file reads back as a text",
       [](QSettings& s) { s.setValue("open/recent", "/a.otdr"); },
       {},
       {},
       {"/a.otdr"}},
      {"more than ten recent files, repeats and relative paths",
       [&](QSettings& s) {
         QStringList list{"relative.otdr", "/t/0.otdr", "", "/t/0.otdr", "/x\ny.otdr"};
         s.setValue("open/recent", list + many);
       },
       {},
       {},
       many.mid(0, 10)},
      {"a number where a list belongs",
       [](QSettings& s) { s.setValue("open/recent", 5); },
       {},
       {},
       {}},
      {"a port too long to be one",
       [](QSettings& s) { s.setValue("port/last", QString(300, 'x')); },
       {},
       {},
       {}},
      {"a port with a control character",
       [](QSettings& s) { s.setValue("port/last", "COM1\x07"); },
       {},
       {},
       {}},
      {"a relative folder",
       [](QSettings& s) { s.setValue("open/lastFolder", "traces"); },
       {},
       {},
       {}},
      {"sound values",
       [](QSettings& s) {
         s.setValue("port/last", "3");
         s.setValue("open/lastFolder", "/srv/t");
       },
       "3",
       "/srv/t",
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(path());
    writeRaw(c.write);
    Settings s(path());
    EXPECT_EQ(s.problem(), Settings::Problem::None);
    EXPECT_EQ(s.lastPort(), c.port);
    EXPECT_EQ(s.lastFolder(), c.folder);
    EXPECT_EQ(s.recentFiles(), c.recent);
  }
  // A geometry of the wrong type or size is no geometry.
  writeRaw([](QSettings& s) {
    s.setValue("geometry/A", "text");
    s.setValue("geometry/B", QByteArray(10000, 'x'));
  });
  Settings s(path());
  EXPECT_TRUE(s.geometry("A").isEmpty());
  EXPECT_TRUE(s.geometry("B").isEmpty());
}

TEST_F(SettingsTest, AWindowsPlaceIsKept) {
  auto settings = std::make_unique<Settings>(path());
  {
    QWidget window;
    keepWindowGeometry(settings.get(), &window, "Measurements");
    window.setGeometry(120, 140, 300, 200);
    window.show();
    window.close();
  }
  settings = std::make_unique<Settings>(path());
  QWidget again;
  keepWindowGeometry(settings.get(), &again, "Measurements");
  EXPECT_EQ(again.geometry().size(), QSize(300, 200));
  EXPECT_EQ(again.geometry().topLeft(), QPoint(120, 140));
  // Another key, or no settings at all, leaves a window as it was made.
  QWidget other;
  other.resize(50, 60);
  EXPECT_FALSE(restoreWindowGeometry(settings.get(), &other, "Other"));
  EXPECT_FALSE(restoreWindowGeometry(nullptr, &other, "Measurements"));
  keepWindowGeometry(nullptr, &other, "Measurements");
  EXPECT_EQ(other.size(), QSize(50, 60));
  // Bytes that are no geometry are refused by the window itself.
  settings->setGeometry("Broken", QByteArray("not a geometry"));
  EXPECT_FALSE(restoreWindowGeometry(settings.get(), &other, "Broken"));
  EXPECT_EQ(other.size(), QSize(50, 60));
}

}  // namespace
}  // namespace tracelink
