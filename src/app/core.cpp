#include "app/core.h"

#include "feed/catalogue.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

AppCore::AppCore(const QString& data_dir, support::Shell& shell, const support::Clock& clock,
                 support::HttpClient& http, const NetConfig& net, QObject* parent)
    : QObject(parent), settings_file_(settings_path(data_dir)),
      service_(http, net.service_base, net.datacenter_default), feed_(http, clock, shell),
      engine_(shell, settings_file_)
{
    feed_.endpoints().public_base = net.public_base;
    feed_.endpoints().trend_base = net.trend_base;
    feed_.endpoints().datacenter_base = net.datacenter_default;
    connect(&feed_, &feed::DrawFeed::started_up, this,
            [this] { emit announced(service_.fetch_announcements()); });
}

void AppCore::init_var()
{
    service_.init();
    feed_.endpoints().datacenter_base = service_.datacenter_base();
    feed_.endpoints().upload_base = service_.upload_base();
}

void AppCore::start()
{
    feed_.start();
}

LotteryChoice AppCore::choose_lottery(const QString& name)
{
    feed_.set_lottery(name);
    LotteryChoice choice;
    choice.platform = u"hele"_s;
    choice.units = u"--选择--|元|角|分"_s;
    if (name.contains(u"合乐"_s)) {
        choice.platform = u"hele"_s;
    } else if (name.contains(u"U彩"_s)) {
        choice.platform = u"ucai"_s;
        choice.units = u"--选择--|元|角|分|厘"_s;
    } else if (name.contains(u"经纬"_s)) {
        choice.platform = u"jw"_s;
        choice.auto_bet = false;
    }
    choice.addresses = service_.platform_addresses(choice.platform);
    choice.saved_index = plt_path_load(settings_file_);
    feed_.endpoints().platform_base = choice.saved_index >= 0 && choice.saved_index < choice.addresses.size()
                                          ? choice.addresses[choice.saved_index]
                                          : QString();
    return choice;
}

void AppCore::pick_address(const QString& address, int index)
{
    feed_.endpoints().platform_base = address;
    feed_.reload_awd();
    plt_path_save(settings_file_, index);
}

void AppCore::enter_address(const QString& address)
{
    feed_.endpoints().platform_base = address;
    feed_.reload_awd();
}

} // namespace zorvik::app
