// Times a tree of 100,000 nodes: loading its text form into a shown tree view (the goal: well under a
// second), loading the record stream, and saving both forms. Prints the median of several runs in
// milliseconds.
#include "benchtime.h"
#include "controls/tree/zozezo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Projects of folders of pages, four levels deep, 100,000 lines in all.
QByteArray makeText(int nodes)
{
    QByteArray text;
    int made = 0;
    for (int project = 0; made < nodes; ++project) {
        text += "Project " + QByteArray::number(project) + "\r\n";
        ++made;
        for (int folder = 0; folder < 20 && made < nodes; ++folder) {
            text += "\tC:\\Sites\\project" + QByteArray::number(project) + "\\folder" + QByteArray::number(folder) + "\r\n";
            ++made;
            for (int page = 0; page < 48 && made < nodes; ++page) {
                text += "\t\tpage" + QByteArray::number(page) + ".html\r\n";
                ++made;
                if (page % 8 == 0 && made < nodes) {
                    text += "\t\t\tanchor #top\r\n";
                    ++made;
                }
            }
        }
    }
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int nodes = 100000;
    const QByteArray text = makeText(nodes);

    tree::TZozeZO view;
    view.resize(400, 600);
    view.show();
    QApplication::processEvents();

    const double loadText = benchtime::MedianMs(7, [&] {
        view.LoadFromBytes(text);
        QApplication::processEvents();
    });
    if (view.Items()->Count() != nodes || view.SaveToBytes(false) != text) {
        std::fprintf(stderr, "the loaded tree is not the text\n");
        return 1;
    }
    const QByteArray binary = view.SaveToBytes(true);
    const double loadBinary = benchtime::MedianMs(7, [&] {
        view.LoadFromBytes(binary);
        QApplication::processEvents();
    });
    const double saveText = benchtime::MedianMs(7, [&] { view.SaveToBytes(false); });
    const double saveBinary = benchtime::MedianMs(7, [&] { view.SaveToBytes(true); });
    const double expandAll = benchtime::MedianMs(3, [&] {
        view.Items()->BeginUpdate();
        view.FullExpand();
        view.Items()->EndUpdate();
        QApplication::processEvents();
        view.Items()->BeginUpdate();
        view.FullCollapse();
        view.Items()->EndUpdate();
    });

    std::printf("tree of %d nodes (%lld bytes of text, %lld bytes of record stream)\n", nodes,
                qlonglong(text.size()), qlonglong(binary.size()));
    std::printf("load text form:     %8.1f ms\n", loadText);
    std::printf("load record stream: %8.1f ms\n", loadBinary);
    std::printf("save text form:     %8.1f ms\n", saveText);
    std::printf("save record stream: %8.1f ms\n", saveBinary);
    std::printf("expand and collapse all: %8.1f ms\n", expandAll);
    return 0;
}
