// A table of numbers written as CSV. Each column is one entry, its name beside the way its
// value is written, so the header and every line come from the same list and a column cannot
// be added to one and forgotten in the other.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "lab/outputs/csv_number.h"

namespace morvane::lab {

template <typename Row> struct CsvColumn {
    const char* name;
    // Appends the field's text for `row`; appending nothing leaves the field empty.
    void (*write)(std::string& line, const Row& row);
};

template <typename Row, std::size_t N>
std::string CsvHeader(const std::array<CsvColumn<Row>, N>& columns)
{
    std::string header;
    for (std::size_t c = 0; c < N; ++c) {
        if (c > 0) header += ',';
        header += columns[c].name;
    }
    header += '\n';
    return header;
}

// Appends one line for `row`, newline included.
template <typename Row, std::size_t N>
void AppendCsvLine(std::string& text, const std::array<CsvColumn<Row>, N>& columns, const Row& row)
{
    for (std::size_t c = 0; c < N; ++c) {
        if (c > 0) text += ',';
        columns[c].write(text, row);
    }
    text += '\n';
}

template <typename Row, std::size_t N>
std::string CsvLine(const std::array<CsvColumn<Row>, N>& columns, const Row& row)
{
    std::string line;
    AppendCsvLine(line, columns, row);
    return line;
}

} // namespace morvane::lab
