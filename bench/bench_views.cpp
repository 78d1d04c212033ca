// Filling the tree and the list: 100,000 section nodes under one root and 200,000 key rows,
// with and without an update batch, and the first layout of the shown view afterwards.
// Runs under any Qt platform; QT_QPA_PLATFORM=offscreen needs no display.
#include <QApplication>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/event_queue.h"
#include "ui/form.h"
#include "ui/image_list.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"
#include "ui/widget_access.h"

namespace {

constexpr int Nodes = 100'000;
constexpr int Rows = 200'000;
constexpr int Runs = 3;

// The best of a few runs of work, each after prepare (not timed).
double Milliseconds(auto&& work, auto&& prepare) {
    double best = 1e12;
    for (int run = 0; run < Runs; ++run) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

double Milliseconds(auto&& work) {
    return Milliseconds(work, [] {});
}

void FillTree(TTreeView& tree, bool batch) {
    if (batch) tree.Items().BeginUpdate();
    tree.Items().Clear();
    TTreeNode* root = tree.Items().AddChild(nullptr, "big.ini");
    for (int i = 0; i < Nodes; ++i) {
        TTreeNode* node = tree.Items().AddChild(root, "section " + std::to_string(i));
        node->SetImageIndex(1);
        node->SetSelectedIndex(1);
    }
    root->Expand(true);
    if (batch) tree.Items().EndUpdate();
    tree.SetSelected(root->Item(0));
}

void FillList(TListView& list, bool batch) {
    if (batch) list.Items().BeginUpdate();
    list.Items().Clear();
    for (int i = 0; i < Rows; ++i) {
        TListItem* row = list.Items().Add();
        row->SetCaption("key" + std::to_string(i));
        row->SubItems().Add("value " + std::to_string(i));
        row->SetImageIndex(2);
    }
    if (batch) list.Items().EndUpdate();
}

// Lets the shown view lay out and paint what it got.
void Settle(QWidget* view) {
    static_cast<QTreeView*>(view)->doItemsLayout();
    view->repaint();
}

}  // namespace

int main() {
    StartToolkit();
    auto form = std::make_unique<TForm>(nullptr);
    form->SetClientSize(489, 329);
    auto* images = new TImageList(form.get());
    for (const char* name : {"file", "section", "key"}) images->AddDrawn(name);
    auto* tree = new TTreeView(form.get());
    tree->SetParent(form.get());
    tree->SetBounds(0, 32, 145, 290);
    tree->SetImages(images);
    auto* list = new TListView(form.get());
    list->SetParent(form.get());
    list->SetBounds(152, 32, 337, 290);
    list->SetSmallImages(images);
    for (int i = 0; i < 2; ++i) list->AddColumn().SetAutoSize(true);
    form->Show();
    QApplication::processEvents();

    std::printf("tree, %d nodes in a batch:      %8.1f ms\n", Nodes, Milliseconds([&] { FillTree(*tree, true); }));
    std::printf("  then first layout and paint:    %8.1f ms\n", Milliseconds([&] { Settle(WidgetOf(*tree)); }));
    std::printf("tree, %d nodes one by one:      %8.1f ms\n", Nodes, Milliseconds([&] {
                    FillTree(*tree, false);
                    Settle(WidgetOf(*tree));
                }));
    std::printf("list, %d rows in a batch:       %8.1f ms\n", Rows, Milliseconds([&] { FillList(*list, true); }));
    std::printf("  then first layout and paint:    %8.1f ms\n", Milliseconds([&] { Settle(WidgetOf(*list)); }));
    std::printf("list, %d rows one by one:       %8.1f ms\n", Rows, Milliseconds([&] {
                    FillList(*list, false);
                    Settle(WidgetOf(*list));
                }));
    std::printf("clearing %d rows and %d nodes: %6.1f ms\n", Rows, Nodes, Milliseconds([&] {
                    list->Items().Clear();
                    tree->Items().Clear();
                }, [&] {
                    FillList(*list, true);
                    FillTree(*tree, true);
                }));
    form.reset();
    StopToolkit();
}
