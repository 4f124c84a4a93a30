#include "core/searchtype.h"

namespace {
struct TypeRow {
    SearchType type;
    const char *caption;
    const char *positionKey;
};

// Indexed by the enum's value.
constexpr TypeRow Rows[] = {
    {SearchType::Browse, "Browse for names", ""},
    {SearchType::Generate, "Generate names", ""},
    {SearchType::YahooSearch, "Yahoo Search", "YahooWordNum"},
    {SearchType::GoogleSearch, "Google Search", "GoogleWordNum"},
    {SearchType::FullWordList, "Full Word List", "FullWordNum"},
    {SearchType::TwoLetterList, "All Two Letter", "TwoWordNum"},
    {SearchType::ThreeLetterList, "All Three Letter", "ThreeWordNum"},
    {SearchType::FourLetterList, "All Four Letter", "FourWordNum"},
    {SearchType::CustomList, "Custom List", "CustWordNum"},
};
constexpr int RowCount = int(sizeof(Rows) / sizeof(Rows[0]));

const TypeRow &row(SearchType type) {
    return Rows[int(type)];
}
} // namespace

namespace SearchTypes {
QList<SearchType> all() {
    QList<SearchType> types;
    for (const TypeRow &r : Rows)
        types << r.type;
    return types;
}

QString caption(SearchType type) {
    return QString::fromLatin1(row(type).caption);
}

bool fromCaption(const QString &caption, SearchType *type) {
    for (const TypeRow &r : Rows) {
        if (caption == QLatin1String(r.caption)) {
            *type = r.type;
            return true;
        }
    }
    return false;
}

int index(SearchType type) {
    return int(type);
}

bool fromIndex(int index, SearchType *type) {
    if (index < 0 || index >= RowCount)
        return false;
    *type = Rows[index].type;
    return true;
}

bool isWebSearch(SearchType type) {
    return type == SearchType::YahooSearch || type == SearchType::GoogleSearch;
}

bool isWordList(SearchType type) {
    return type >= SearchType::FullWordList && type <= SearchType::FourLetterList;
}

QString positionKey(SearchType type) {
    return QString::fromLatin1(row(type).positionKey);
}
} // namespace SearchTypes
