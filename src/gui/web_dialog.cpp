#include "gui/web_dialog.h"

#include "core/core.h"
#include "gui/widgets.h"
#include "web/web_config.h"
#include "web/web_server.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

WebDialog::WebDialog(AppCore& core, web::WebServer& server, QWidget* parent)
    : QDialog(parent), core_(core), server_(server)
{
    setObjectName(u"web_dialog"_s);
    setWindowTitle(u"远程访问"_s);
    setMinimumWidth(440);
    const web::WebConfig config = web::load_web_config(core_.settings_file());
    auto* layout = new QVBoxLayout(this);
    auto* hint = caption(u"在手机或其他电脑的浏览器里查看监控、投注记录和收入，并可停止监控。"
                         u"默认只在本机 127.0.0.1 上开启；从手机访问请用 SSH 隧道或反向代理（见说明文档）。"_s);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* form = new QFormLayout;
    enabled_ = named<QCheckBox>("web_enabled", u"开启远程访问"_s);
    enabled_->setChecked(config.enabled);
    address_ = named<QLineEdit>("web_address", config.address);
    port_ = named<QSpinBox>("web_port");
    port_->setRange(1, 65535);
    port_->setValue(config.port);
    password_ = named<QLineEdit>("web_password");
    password_->setEchoMode(QLineEdit::Password);
    password_->setPlaceholderText(config.digest.isEmpty() ? u"请设置密码"_s : u"已设置；不修改请留空"_s);
    form->addRow(enabled_);
    form->addRow(u"地址："_s, address_);
    form->addRow(u"端口："_s, port_);
    form->addRow(u"密码："_s, password_);
    layout->addLayout(form);
    state_ = named<QLabel>("web_state");
    state_->setWordWrap(true);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(state_);
    auto* save = named<QPushButton>("web_save", u"保存"_s);
    auto* close = named<QPushButton>("web_close", u"关闭"_s);
    layout->addLayout(button_row({save, close}));
    connect(save, &QPushButton::clicked, this, &WebDialog::save);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    show_state();
}

void WebDialog::save()
{
    const QString file = core_.settings_file();
    web::WebConfig config = web::load_web_config(file);
    config.enabled = enabled_->isChecked();
    config.address = address_->text().trimmed();
    config.port = port_->value();
    bool written = web::save_web_config(file, config);
    if (!password_->text().isEmpty()) {
        config.digest = web::password_digest(password_->text());
        written = web::save_web_digest(file, config.digest) && written;
        server_.set_digest(config.digest);
        password_->clear();
        password_->setPlaceholderText(u"已设置；不修改请留空"_s);
    }
    core_.report_write(written);
    QString refusal;
    if (config.enabled)
        refusal = server_.start(config);
    else
        server_.stop();
    show_state(refusal);
}

void WebDialog::show_state(const QString& refusal)
{
    if (!refusal.isEmpty())
        state_->setText(u"无法开启："_s + refusal);
    else if (server_.running())
        state_->setText(u"已开启："_s + server_.url());
    else
        state_->setText(u"未开启"_s);
}

} // namespace zorvik::app
