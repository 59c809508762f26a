#pragma once

#include <QHash>

#include <functional>

namespace vantora {

class Page;
class PageHost;

// Which class each page id builds. Pages register here as they are written;
// frame commands and home-page buttons leading to a page that is not
// registered stay disabled.
class PageRegistry {
public:
    using Factory = std::function<Page*(PageHost& frame)>;

    // Registers the class of a page (by page::classOf id, e.g. page::kAnalysis).
    void add(int pageClass, Factory factory) { factories_.insert(pageClass, std::move(factory)); }
    bool has(int pageClass) const { return factories_.contains(pageClass); }
    // A new page for the page id (32785/32786 map to their page class), or null.
    Page* create(int pageId, PageHost& frame) const;

private:
    QHash<int, Factory> factories_;
};

} // namespace vantora
