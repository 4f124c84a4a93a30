#pragma once

#include <QList>
#include <QString>

// What a run searches. The order is the order of the search-type box and the Tools menu.
enum class SearchType {
    Browse,
    Generate,
    YahooSearch,
    GoogleSearch,
    FullWordList,
    TwoLetterList,
    ThreeLetterList,
    FourLetterList,
    CustomList,
};

namespace SearchTypes {
// Every type, in the order they are offered.
QList<SearchType> all();
// The caption the user sees ("Full Word List"); the one place captions and types meet.
QString caption(SearchType type);
// The type of a caption; false when the text is no caption.
bool fromCaption(const QString &caption, SearchType *type);
// Position in all(), and the type at a position (false when out of range).
int index(SearchType type);
bool fromIndex(int index, SearchType *type);

// The two types whose list the list builder fills from a search engine.
bool isWebSearch(SearchType type);
// The four built word lists.
bool isWordList(SearchType type);
// The key a run of `type` stores its next entry under, or "" for none.
QString positionKey(SearchType type);
} // namespace SearchTypes
