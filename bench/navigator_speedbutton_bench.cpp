// The navigator's drawing: building the shared glyph list (36 bitmaps read and masked, once at
// start-up) and repainting a bar of fourteen flat 25 x 25 buttons on the default glyphs, as the
// main window does whenever the data set moves.
#include "navigator/wwnavglyphs.h"
#include "navigator/wwspeedbutton.h"
#include "platform/form.h"
#include "platform/panel.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_BuildDefaultGlyphList(benchmark::State& state) {
    for (auto _ : state) {
        FinalizeWwDBNavigatorUnit();
        InitWwDBNavigatorUnit();
        benchmark::DoNotOptimize(wwNavDefaultGlyphs());
    }
}
BENCHMARK(BM_BuildDefaultGlyphList)->Unit(benchmark::kMicrosecond);

// state.range(0): 1 when the pointer is over one button (its raised edge is drawn too).
void BM_PaintFourteenButtons(benchmark::State& state) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 40);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 350, 25);
    panel->SetBevelOuter(bvNone);
    panel->SetCaption(QString());
    std::vector<TwwSpeedButton*> buttons;
    for (int i = 0; i < 14; ++i) {
        auto* b = new TwwSpeedButton(&form);
        b->SetParent(panel);
        b->SetBounds(25 * i, 0, 25, 25);
        b->SetFlat(true);
        b->SetImageList(wwNavDefaultGlyphs());
        b->SetNumGlyphs(2);
        b->SetImageIndex(2 * (i % 14));
        b->SetEnabled(i % 3 != 0);
        buttons.push_back(b);
    }
    form.Show();
    if (state.range(0)) {
        QMouseEvent move(QEvent::MouseMove, QPointF(87, 12), QPointF(87, 12), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(panel->Handle(), &move);
    }
    QImage target(350, 25, QImage::Format_RGB32);
    for (auto _ : state) {
        panel->Handle()->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetItemsProcessed(state.iterations() * 14);
}
BENCHMARK(BM_PaintFourteenButtons)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
