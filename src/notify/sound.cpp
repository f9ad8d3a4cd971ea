#include "notify/sound.h"

#include "support/text.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::notify {

QString sound_box_file(const QString& box_text)
{
    return support::trim_blanks(box_text).remove(QString::fromUtf16(kSoundPlaceholder));
}

QString installed_sound_dir()
{
    return QStringLiteral(ZORVIK_SHARE_DIR);
}

QString alert_sound_path(const QString& path, const QString& box_text, const QString& data_dir,
                         const QString& installed_dir)
{
    QString file = path;
    if (file.isEmpty())
        file = sound_box_file(box_text);
    if (file.isEmpty()) {
        // The data folder's own sound first; an installed program brings one of its own.
        file = data_dir + u"/bao/alert.wav"_s;
        const QString installed = installed_dir + u"/alert.wav"_s;
        if (!QFileInfo::exists(file) && QFileInfo::exists(installed))
            file = installed;
    }
    return file;
}

AlertSound::AlertSound(QObject* parent) : QObject(parent) {}

AlertSound::~AlertSound() = default;

bool AlertSound::loading() const
{
    const auto busy = [](const QSoundEffect* e) { return e && e->status() == QSoundEffect::Loading; };
    if (busy(effect_.get()))
        return true;
    const QList<QSoundEffect*> retired = findChildren<QSoundEffect*>(Qt::FindDirectChildrenOnly);
    return std::any_of(retired.cbegin(), retired.cend(), busy);
}

void AlertSound::retire(std::unique_ptr<QSoundEffect> effect)
{
    effect->stop();
    if (effect->status() != QSoundEffect::Loading)
        return; // freed here
    QSoundEffect* kept = effect.release();
    kept->setParent(this);
    connect(kept, &QSoundEffect::statusChanged, kept, [kept] {
        if (kept->status() != QSoundEffect::Loading)
            kept->deleteLater();
    });
}

void AlertSound::play(const QString& file)
{
    if (effect_)
        retire(std::move(effect_));
    playing_.clear();
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable())
        return;
    // A fresh effect per sound: changing the source of a playing one is not reliable.
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    effect_->play();
    playing_ = info.absoluteFilePath();
}

} // namespace zorvik::notify
