// How long the contacts picker takes on a phone of 5,000 contacts (four in five with Chinese
// names): the picker opened for real on the offscreen screen, listing every contact, and a
// pen-up on the strip's abc cell, until the list has painted that group. Against it, the
// store's part alone: the same contacts listed from the contacts store, field by field.
//  OpenAndChooseGroup: the picker's whole run, open to close.
//  ListFromStore: log on, take the folder's collection, read every contact's fields.
#include "bench_device.h"

#include "platform/contacts.h"
#include "platform/phonedb.h"
#include "platform/shell/gui_app.h"
#include "platform/text.h"
#include "res/Resources.h"
#include "ui/CContactsDlg.h"

#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

constexpr int kContacts = 5000;

std::vector<platform::PhoneContact> People() {
    const std::u16string surnames =
        u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程"
        u"苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛阎段雷侯龙史陶黎贺顾毛郝"
        u"龚邵万钱严覃武戴莫孔向汤";
    const std::u16string given = u"伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰萍红";
    const char16_t* latin[] = {u"Alice", u"bob",   u"Carol",  u"dave",   u"Eve",     u"frank",
                               u"Grace", u"heidi", u"Ivan",   u"judy",   u"Mallory", u"oscar",
                               u"Peggy", u"trent", u"Victor", u"walter", u"Zoe"};
    std::vector<platform::PhoneContact> people;
    for (int n = 0; n < kContacts; ++n) {
        platform::PhoneContact c;
        if (n % 5 == 4) {
            c.first = latin[n % 17];
            c.last = latin[(n / 17) % 17];
        } else {
            c.last = surnames.substr(static_cast<std::size_t>(n) % surnames.size(), 1);
            c.first = given.substr(static_cast<std::size_t>(n / 7) % given.size(), 1) +
                      given.substr(static_cast<std::size_t>(n / 3) % given.size(), 1);
        }
        const std::u16string number = u"139" + platform::Utf8ToUtf16(std::to_string(10000000 + n));
        (n % 3 ? c.mobile : c.work) = number;
        people.push_back(std::move(c));
    }
    return people;
}

// The picker, told to choose the abc group as soon as it shows, and to close once the list
// has painted it.
class CTimedContactsDlg : public CContactsDlg {
public:
    int m_rows = -1; // of the group, when it showed

protected:
    bool OnInitDialog() override {
        CContactsDlg::OnInitDialog();
        QTimer::singleShot(0, [this] {
            OnLButtonUp(0, {30, 5});
            m_list.UpdateWindow();
            m_rows = m_list.GetItemCount();
            EndDialog(IDOK);
        });
        return true;
    }
};

void OpenAndChooseGroup(benchmark::State& state) {
    int rows = 0;
    for (auto _ : state) {
        CTimedContactsDlg picker;
        picker.DoModal();
        rows = picker.m_rows;
    }
    if (rows <= 0 || rows >= kContacts)
        state.SkipWithError("the abc group is not a part of the contacts");
    state.counters["group"] = rows;
}
BENCHMARK(OpenAndChooseGroup)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void ListFromStore(benchmark::State& state) {
    std::size_t characters = 0;
    for (auto _ : state) {
        platform::CoInitializeEx(nullptr, platform::COINIT_MULTITHREADED);
        auto app = platform::ContactsApplication::Create();
        app->Logon();
        const auto items = app->GetDefaultFolder(platform::olFolderContacts)->Items();
        for (int i = 1; i <= items->Count(); ++i) {
            const auto c = items->Item(i);
            characters += c->first.size() + c->last.size() + c->mobile.size() + c->work.size() +
                          c->other.size();
        }
        app->Logoff();
        platform::CoUninitialize();
    }
    benchmark::DoNotOptimize(characters);
}
BENCHMARK(ListFromStore)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::BenchDevice device([](platform::Registry&) {});
    if (!platform::ThisDevice().Phone().AddContacts(People()))
        return 1;
    platform::gui::GuiApplication gui(argc, argv, {.scale = 1, .headless = true});
    RegisterResources();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
