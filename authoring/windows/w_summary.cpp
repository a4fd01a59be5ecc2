#include "authoring/windows/w_summary.h"

#include <QAbstractScrollArea>
#include <QIcon>
#include <QMainWindow>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

#include "authoring/core/pakomo.h"
#include "runtime/core/Dispatch.h"
#include "runtime/services/System.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr std::size_t kTitleLength = 64;  // the width of the report's title column

// The parts joined; no value when one of them has none.
Value joined(std::initializer_list<Value> parts) {
    std::string out;
    for (const Value& part : parts) {
        if (part.isNull()) return Value();
        out += part.toText();
    }
    // A title that does not fit its column would be refused, so it is cut, never in a character.
    if (out.size() > kTitleLength) {
        std::size_t cut = kTitleLength;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    return Value(out);
}

runtime::Ref<u_ds_a> create_rows(const char* className) {
    return runtime::createByName(className).as<u_ds_a>();
}

}  // namespace

w_summary::w_summary() : w_ok_cancel("w_summary") {
    setTitle("Summary");
    resize(4050, 2180);
    mainWidget()->setWindowIcon(QIcon(QStringLiteral(":/authoring/Icon.ico")));
    cb_1->setVisible(false);
    cb_2->setText("&Close");
    cb_2->move(3570, 1990);
    dw_1 = addControl<runtime::DataWindow>("dw_1");
    dw_1->move(27, 24);
    dw_1->resize(3996, 1930);
    dw_1->setDataObject("d_summary");
    if (auto* area = qobject_cast<QAbstractScrollArea*>(dw_1->widget()))
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cb_3 = addControl<u_cb_print>("cb_3");
    cb_3->move(3130, 1990);

    extend("open", [this](Args) {
        ids_product = create_rows("u_ds_product");
        ids_proggrp = create_rows("u_ds_proggrp");
        ids_filegrp = create_rows("u_ds_filegrp");
        ids_file = create_rows("u_ds_file");
        fw_center();
        return Value();
    });
    extend("ue_init", [this](Args) {
        dw_1->setRedraw(false);
        runtime::Pointer::set(runtime::PointerShape::HourGlass);
        fw_populate_dw();
        dw_1->setRedraw(true);
        return Value();
    });
    extend("ue_print", [this](Args) {
        app().g_str_pass.datawindow_base[1] = dw_1;
        runtime::Ref<runtime::Window> print = runtime::createByName("w_print_dw").as<runtime::Window>();
        if (print) print->open();
        return Value();
    });
    extend("close", [this](Args) {
        for (runtime::Ref<u_ds_a>* rows : {&ids_product, &ids_proggrp, &ids_filegrp, &ids_file})
            if (*rows) runtime::destroy(*rows);
        return Value();
    });
}

void w_summary::fw_populate_dw() {
    runtime::DataStore& report = dw_1->store();
    // A product whose row has gone (deleted meanwhile) gets a report without a title rather than
    // a runtime error that ends the program.
    Value title;
    if (ids_product->rowCount() >= 1)
        title = joined({ids_product->getItem(1, "prodname"), Value(", "), ids_product->getItem(1, "prodvers"),
                        Value(" "), ids_product->getItem(1, "label")});

    // The file groups of each component and the files of each file group, gathered in one pass
    // each, in row order (a null reference belongs to nothing).
    auto rows_by = [](runtime::DataStore& rows, const char* column) {
        std::unordered_map<int64_t, std::vector<long>> out;
        const int c = rows.columnNumber(column);
        for (long r = 1; r <= rows.rowCount(); ++r) {
            const Value v = rows.getItem(r, c);
            if (!v.isNull()) out[v.toInt()].push_back(r);
        }
        return out;
    };
    const auto groups_of = rows_by(*ids_filegrp, "proggrpid");
    const auto files_of = rows_by(*ids_file, "filegrpid");
    const int path_column = ids_file->columnNumber("path");
    const std::vector<long> none;
    auto rows_of = [&](const std::unordered_map<int64_t, std::vector<long>>& map,
                       const Value& id) -> const std::vector<long>& {
        const auto found = map.find(id.toInt());
        return found == map.end() ? none : found->second;
    };

    // Every file's length in one call, which looks at thousands of files in parallel.
    struct GroupRow {
        long row;
        std::size_t first, count;  // its files in `paths`
    };
    std::vector<GroupRow> sized;
    std::vector<std::string> paths;
    for (long component = 1; component <= ids_proggrp->rowCount(); ++component) {
        const Value proggrp_name = ids_proggrp->getItem(component, "name");
        const std::vector<long>& groups = rows_of(groups_of, ids_proggrp->getItem(component, "id"));
        if (groups.empty()) {
            const long row = report.insertRow(0);
            report.setItem(row, "proggrp", proggrp_name);
            report.setItem(row, "title", title);
        }
        for (const long group : groups) {
            const long row = report.insertRow(0);
            report.setItem(row, "title", title);
            report.setItem(row, "proggrp", proggrp_name);
            report.setItem(row, "filegrp", ids_filegrp->getItem(group, "name"));
            const std::vector<long>& files = rows_of(files_of, ids_filegrp->getItem(group, "id"));
            report.setItem(row, "files", Value(static_cast<int64_t>(files.size())));
            sized.push_back({row, paths.size(), files.size()});
            for (const long file : files) paths.push_back(ids_file->getItemString(file, path_column));
        }
    }
    const std::vector<int64_t> lengths = runtime::fileLengths(paths);
    for (const GroupRow& group : sized) {
        // 64 bits: a file group of more than 2 GB must not turn negative.
        int64_t bytes = 0;
        for (std::size_t i = group.first; i < group.first + group.count; ++i)
            if (lengths[i] > 0) bytes += lengths[i];
        report.setItem(group.row, "size", Value(bytes));
    }
    report.sort();
}

}  // namespace pakomo
