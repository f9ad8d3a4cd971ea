#pragma once
// Where the platform password (or another secret: the notification addresses) is kept: the
// desktop's keyring (the Secret Service) when one answers, else the settings file as before
// (owner-only). A secret an older settings file holds moves into the keyring the first time one
// answers.

#include <QString>
#include <optional>

namespace zorvik::app {

class PasswordStore {
public:
    // `wait_ms`: how long a keyring may take to answer before it counts as absent. The secret
    // is the file's `section`/`key` (by default the platform password), and the keyring's
    // entry of that key.
    explicit PasswordStore(QString settings_file, int wait_ms = 5000, QString section = QString(),
                           QString key = QString());

    // The stored password (unchanged, quotes around it included); nothing stored: empty.
    QString load();
    // Keeps the password; an empty one is cleared wherever it is kept. False when it could
    // not be written.
    bool save(const QString& password);
    // True once a keyring has answered, false once one has not; nothing before either.
    std::optional<bool> in_keyring() const { return keyring_; }
    // What the user is told, once, when no keyring answers.
    QString file_text() const;
    // The keyring is asked again whether it can be used (each run asks once; a keyring that did
    // not answer in time, or would have asked the user, counts as none for the rest of the run).
    static void forget_keyring_answer();

private:
    enum class Answer { Done, NotFound, NoKeyring };
    Answer read(QString& password);
    Answer write(const QString& password);
    Answer remove();
    QString read_file() const;
    bool write_file(const QString& password) const;

    QString settings_file_;
    int wait_ms_;
    QString section_;
    QString key_;
    std::optional<bool> keyring_;
};

} // namespace zorvik::app
