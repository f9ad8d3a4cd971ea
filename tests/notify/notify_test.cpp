#include "notify/sound.h"
#include "qt_printers.h"

#include <QFile>
#include <QTest>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::notify;

namespace {

// A short, silent 8 kHz mono PCM wave file.
void write_wave(const QString& path)
{
    const quint32 samples = 800;
    QByteArray data;
    auto u32 = [&](quint32 v) { v = qToLittleEndian(v); data.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](quint16 v) { v = qToLittleEndian(v); data.append(reinterpret_cast<const char*>(&v), 2); };
    data += "RIFF";
    u32(36 + samples * 2);
    data += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    data += "data";
    u32(samples * 2);
    data.append(QByteArray(int(samples * 2), '\0'));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

} // namespace

TEST(AlertSoundPath, PathThenBoxThenTheDefaultFile)
{
    EXPECT_EQ(alert_sound_path(u"/a.wav"_s, u"/b.wav"_s, u"/d"_s), u"/a.wav"_s);
    EXPECT_EQ(alert_sound_path(QString(), u" /b.wav "_s, u"/d"_s), u"/b.wav"_s);
    EXPECT_EQ(alert_sound_path(QString(), u"选择文件..."_s, u"/d"_s), u"/d/bao/alert.wav"_s);
    EXPECT_EQ(alert_sound_path(QString(), QString(), u"/d"_s), u"/d/bao/alert.wav"_s);
}

TEST(AlertSound, PlaysExistingFilesOnlyAndANewSoundCutsTheLast)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(u"first.wav"_s);
    const QString second = dir.filePath(u"second.wav"_s);
    write_wave(first);
    write_wave(second);
    AlertSound sound;
    sound.play(dir.filePath(u"missing.wav"_s));
    EXPECT_EQ(sound.playing(), QString());
    sound.play(dir.path()); // a folder is no sound
    EXPECT_EQ(sound.playing(), QString());
    sound.play(first);
    EXPECT_EQ(sound.playing(), first);
    sound.play(second);
    EXPECT_EQ(sound.playing(), second);
    sound.play(dir.filePath(u"missing.wav"_s));
    EXPECT_EQ(sound.playing(), QString());
    // Sounds cut while being read are freed once read.
    QTRY_VERIFY_WITH_TIMEOUT(!sound.loading(), 10000);
}
