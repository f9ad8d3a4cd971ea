#pragma once
// The alert sound: a wave file played asynchronously; a new sound cuts the one playing.

#include <QObject>
#include <QString>
#include <memory>

class QSoundEffect;

namespace zorvik::notify {

// Where an installed program keeps its default alert sound.
QString installed_sound_dir();

// The placeholder text of the sound-file box.
inline constexpr char16_t kSoundPlaceholder[] = u"选择文件...";

// The sound-file box's text trimmed, with the placeholder removed.
QString sound_box_file(const QString& box_text);

// The file to play: `path`, else the sound-file box's file (sound_box_file),
// else "bao/alert.wav" under the data folder, else the installed program's own sound when the
// data folder has none.
QString alert_sound_path(const QString& path, const QString& box_text, const QString& data_dir,
                         const QString& installed_dir = installed_sound_dir());

class AlertSound : public QObject {
    Q_OBJECT
public:
    explicit AlertSound(QObject* parent = nullptr);
    ~AlertSound() override;
    // A missing or unreadable file plays nothing and reports nothing.
    void play(const QString& file);
    QString playing() const { return playing_; }
    // True while a sound (the one playing, or one it cut) is still being read.
    bool loading() const;

private:
    // A cut sound still being read is freed once it has been read: freed while Qt Multimedia
    // reads it, its sample is lost (leaked) on the reading thread.
    void retire(std::unique_ptr<QSoundEffect> effect);

    std::unique_ptr<QSoundEffect> effect_;
    QString playing_;
};

} // namespace zorvik::notify
