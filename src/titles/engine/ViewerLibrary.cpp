#include "titles/engine/ViewerLibrary.h"

#include "titles/engine/Fold.h"
#include "titles/engine/TitleFile.h"
#include "titles/engine/TitleFormat.h"
#include "titles/engine/Wheels.h"

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace kv {

using namespace kv::title;

namespace {

thread_local QString t_lastError;

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

enum Type : uint32_t { TitleType = 1, WheelType = 2, GroupType = 3, BaggageType = 4 };

struct TitleObj {
    std::shared_ptr<const TitleFile> file;
};
struct WheelObj {
    std::shared_ptr<const TitleFile> file;
    const KeywordIndex* keys = nullptr;
    // The screens ask for a keyword's topic count and then its addresses: the second
    // look-up of the same keyword is answered from here.
    QString lastKeyword;
    int64_t lastPosition = -1;
    // Typing is compacted as the catalogue-number wheel's keywords are.
    bool catalogueNumbers = false;
};
struct GroupObj {
    MVHandle wheel = 0;
    SearchGroup found;
};
struct BaggageObj {
    std::shared_ptr<const TitleFile> file;
    std::string_view data;
};

// Handle layout: bit 31 clear, bits 28–30 the type, bits 12–27 the slot's generation,
// bits 0–11 the slot (1–4095). Freed slots queue up before reuse, and each reuse bumps the
// generation, so a stale handle matches again only after 65,536 reuses of its slot.
template <typename T, uint32_t TypeTag> class HandleTable {
public:
    static constexpr uint32_t kSlots = 4096;

    MVHandle add(std::shared_ptr<T> obj) {
        uint32_t slot;
        if (!m_free.empty()) {
            slot = m_free.front();
            m_free.pop_front();
        } else if (m_entries.size() + 1 < kSlots) {
            m_entries.emplace_back();
            slot = uint32_t(m_entries.size());
        } else {
            return 0;
        }
        Entry& e = m_entries[slot - 1];
        e.obj = std::move(obj);
        return MVHandle(TypeTag << 28 | uint32_t(e.generation) << 12 | slot);
    }
    T* get(MVHandle h) {
        Entry* e = entry(h);
        return e ? e->obj.get() : nullptr;
    }
    bool remove(MVHandle h) {
        Entry* e = entry(h);
        if (!e) return false;
        e->obj.reset();
        ++e->generation;
        m_free.push_back(uint32_t(h) & 0xFFF);
        return true;
    }

private:
    struct Entry {
        std::shared_ptr<T> obj;
        uint16_t generation = 1;
    };
    Entry* entry(MVHandle h) {
        const uint32_t u = uint32_t(h);
        const uint32_t slot = u & 0xFFF;
        if ((u >> 28) != TypeTag || slot == 0 || slot > m_entries.size()) return nullptr;
        Entry& e = m_entries[slot - 1];
        if (!e.obj || e.generation != ((u >> 12) & 0xFFFF)) return nullptr;
        return &e;
    }
    std::vector<Entry> m_entries;
    std::deque<uint32_t> m_free;
};

struct Library {
    std::mutex mutex;
    HandleTable<TitleObj, TitleType> titles;
    HandleTable<WheelObj, WheelType> wheels;
    HandleTable<GroupObj, GroupType> groups;
    HandleTable<BaggageObj, BaggageType> baggage;
    std::deque<MVHandle> liveGroups; // oldest first
};

Library& lib() {
    static Library l;
    return l;
}

void setError(const QString& text) {
    t_lastError = text;
}

const TitleFile* titleOf(Library& l, MVHandle h) {
    TitleObj* t = l.titles.get(h);
    if (!t) {
        setError(QStringLiteral("Not an open title handle: %1").arg(h));
        return nullptr;
    }
    return t->file.get();
}

const KeywordIndex* wheelOf(Library& l, MVHandle h) {
    WheelObj* w = l.wheels.get(h);
    if (!w) {
        setError(QStringLiteral("Not an open word wheel handle: %1").arg(h));
        return nullptr;
    }
    return w->keys;
}

void freeGroup(Library& l, MVHandle g) {
    if (!l.groups.remove(g)) return;
    for (auto it = l.liveGroups.begin(); it != l.liveGroups.end(); ++it)
        if (*it == g) {
            l.liveGroups.erase(it);
            break;
        }
}

void fillBuffer(QString& buffer, qint32 capacity, const QString& text) {
    if (capacity <= 0) return;
    qsizetype n = std::min<qsizetype>(text.size(), capacity - 1);
    if (n > 0 && n < text.size() && text[n - 1].isHighSurrogate()) --n;
    // Reuses the caller's buffer: no allocation when it already has the capacity.
    buffer.resize(std::max<qsizetype>(capacity, buffer.size()));
    QChar* d = buffer.data();
    std::copy(text.constData(), text.constData() + n, d);
    std::fill(d + n, d + buffer.size(), QChar(0));
}

} // namespace

QString strMVLastError() {
    return t_lastError;
}

MVHandle hMVTitleOpen(const QString& path) {
    QString error;
    auto file = TitleFile::open(path, &error);
    if (!file) {
        setError(error);
        return 0;
    }
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const MVHandle h = l.titles.add(std::make_shared<TitleObj>(TitleObj{std::move(file)}));
    if (!h) setError(QStringLiteral("Too many open titles"));
    return h;
}

void MVTitleClose(MVHandle title) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    l.titles.remove(title);
}

QString strMVTitlePath(MVHandle title) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const TitleFile* t = titleOf(l, title);
    return t ? t->path() : QString();
}

MVHandle hMVWordWheelOpenTitle(MVHandle title, const QString& wheelName) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    TitleObj* t = l.titles.get(title);
    if (!t) {
        setError(QStringLiteral("Not an open title handle: %1").arg(title));
        return 0;
    }
    const QList<uint> code = wheelName.toUcs4();
    const WheelInfo* info = code.size() == 2 && code[0] == '|' ? t->file->wheel(code[1]) : nullptr;
    const KeywordIndex* keys = info ? t->file->keywords(info->physical) : nullptr;
    if (!keys) {
        setError(QStringLiteral("The title has no word wheel named %1").arg(wheelName));
        return 0;
    }
    auto obj = std::make_shared<WheelObj>();
    obj->file = t->file;
    obj->keys = keys;
    obj->catalogueNumbers = code[1] == uint(wheel::CatalogueNumbers);
    const MVHandle h = l.wheels.add(std::move(obj));
    if (!h) setError(QStringLiteral("Too many open word wheels"));
    return h;
}

void MVWordWheelClose(MVHandle wheel) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    if (!l.wheels.remove(wheel)) return;
    std::vector<MVHandle> owned;
    for (MVHandle g : l.liveGroups)
        if (GroupObj* go = l.groups.get(g); go && go->wheel == wheel) owned.push_back(g);
    for (MVHandle g : owned)
        freeGroup(l, g);
}

qint32 lMVWordWheelLength(MVHandle wheel) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const KeywordIndex* k = wheelOf(l, wheel);
    return k ? qint32(k->size()) : -1;
}

qint32 nMVWordWheelLookup(MVHandle wheel, qint32 position, QString& buffer, qint32 bufferSize) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const KeywordIndex* k = wheelOf(l, wheel);
    if (!k) return 1;
    std::string_view text;
    if (position < 0 || !k->display(uint32_t(position), text)) {
        setError(QStringLiteral("No keyword at position %1").arg(position));
        return 2;
    }
    fillBuffer(buffer, bufferSize, qs(text));
    return 0;
}

qint32 lMVWordWheelPrefix(MVHandle wheel, const QString& text) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const KeywordIndex* k = wheelOf(l, wheel);
    if (!k) return -1;
    const WheelObj* w = l.wheels.get(wheel);
    return qint32(k->lowerBound(
        foldText(w->catalogueNumbers ? compactCatalogueNumber(text) : text).toStdString()));
}

MVHandle MVWordWheelSearch(MVHandle wheel, const QString& pattern, qint32 /*flags*/) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const KeywordIndex* k = wheelOf(l, wheel);
    if (!k) return 0;
    const Pattern p = Pattern::parse(
        l.wheels.get(wheel)->catalogueNumbers ? compactCatalogueNumber(pattern) : QString(pattern));
    auto group = std::make_shared<GroupObj>();
    group->wheel = wheel;
    k->search(p, group->found);
    while (l.liveGroups.size() >= size_t(kMaxLiveGroups))
        freeGroup(l, l.liveGroups.front());
    const MVHandle h = l.groups.add(std::move(group));
    if (h)
        l.liveGroups.push_back(h);
    else
        setError(QStringLiteral("Too many search groups"));
    return h;
}

void MVGroupFree(MVHandle group) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    freeGroup(l, group);
}

qint32 lMVGroupItemCount(MVHandle group) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const GroupObj* g = l.groups.get(group);
    if (!g) return -1;
    return qint32(g->found.size());
}

qint32 lMVGroupFind(MVHandle group, qint32 item) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const GroupObj* g = l.groups.get(group);
    if (!g || item < 0) return -1;
    return uint32_t(item) < g->found.size() ? qint32(g->found.at(uint32_t(item))) : -1;
}

qint32 lMVGroupFindRange(MVHandle group, qint32 first, qint32 count, QList<qint32>& positions) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const GroupObj* g = l.groups.get(group);
    if (!g || first < 0 || count < 0) return -1;
    const qint64 size = g->found.size();
    const qint64 n = std::max<qint64>(0, std::min<qint64>(qint64(first) + count, size) - first);
    positions.resize(n);
    g->found.copy(uint32_t(first), uint32_t(n), positions.data());
    return qint32(n);
}

namespace {

bool keywordTopics(Library& l, MVHandle wheel, const QString& keyword, const uint8_t*& first,
                   uint32_t& count) {
    WheelObj* w = l.wheels.get(wheel);
    if (!w) {
        setError(QStringLiteral("Not an open word wheel handle: %1").arg(wheel));
        return false;
    }
    const KeywordIndex* k = w->keys;
    if (w->lastPosition < 0 || w->lastKeyword != keyword) {
        w->lastKeyword = keyword;
        w->lastPosition = k->find(keyword.toStdString());
    }
    const int64_t pos = w->lastPosition;
    if (pos < 0 || !k->topics(uint32_t(pos), first, count) || count > 0x7FFFFFFFu) {
        setError(QStringLiteral("No keyword %1 in the word wheel").arg(keyword));
        return false;
    }
    return true;
}

} // namespace

qint32 nMVKeyIndexGetCount(MVHandle wheel, const QString& keyword) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const uint8_t* first;
    uint32_t count;
    return keywordTopics(l, wheel, keyword, first, count) ? qint32(count) : -1;
}

qint32 lMVKeyIndexGetAddrs(MVHandle wheel, const QString& keyword, qint32 first, qint32 last,
                           QList<qint32>& addresses) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const uint8_t* addrs;
    uint32_t count;
    if (!keywordTopics(l, wheel, keyword, addrs, count)) return -1;
    if (first < 0 || last < first) {
        setError(QStringLiteral("Bad topic range %1 to %2").arg(first).arg(last));
        return -2;
    }
    const qint64 end = std::min<qint64>(qint64(last) + 1, count);
    const qint64 n = std::max<qint64>(0, end - first);
    if (addresses.size() < n) addresses.resize(n);
    for (qint64 i = 0; i < n; ++i)
        addresses[i] = qint32(rd32(addrs + 4 * (first + i)));
    return qint32(n);
}

qint32 lMVTitleGetInfo(MVHandle title, qint32 kind, qint32 param, QString& buffer) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const TitleFile* t = titleOf(l, title);
    if (kind == kInfoIndex) {
        if (!t) return 0;
        const uint32_t n = (uint32_t(param) >> 16) & 0xFFFF;
        if (n >= t->wheels().size()) return 0;
        const WheelInfo& w = t->wheels()[n];
        fillBuffer(buffer, param & 0xFFFF, qs(w.name));
        return qint32(w.code & 0x7FFFFFFF);
    }
    if (kind == kInfoTopicTitle) {
        TopicRecord r;
        if (!t) return -1;
        if (param < 0 || !t->topic(uint32_t(param), r)) {
            setError(QStringLiteral("No topic at address %1").arg(param));
            return -1;
        }
        fillBuffer(buffer,
                   buffer.isEmpty() ? 128 : qint32(std::min<qsizetype>(buffer.size(), 1 << 20)),
                   qs(r.title));
        return 0;
    }
    setError(QStringLiteral("Unknown title information kind %1").arg(kind));
    return -1;
}

qint32 vaMVConvertAddr(MVHandle title, qint32 address) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const TitleFile* t = titleOf(l, title);
    if (!t) return -1;
    if (address < 0 || uint32_t(address) >= t->topicCount()) {
        setError(QStringLiteral("No topic at address %1").arg(address));
        return -1;
    }
    return address;
}

qint32 vaMVConvertContextString(MVHandle title, const QString& context) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const TitleFile* t = titleOf(l, title);
    if (!t) return -1;
    const int64_t a = t->topicByContext(context.toStdString());
    if (a < 0 || a > 0x7FFFFFFF) {
        setError(QStringLiteral("No topic with context string %1").arg(context));
        return -1;
    }
    return qint32(a);
}

qint32 vaMVGetContents(MVHandle title) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const TitleFile* t = titleOf(l, title);
    if (!t) return -1;
    if (t->contentsAddress() >= t->topicCount()) {
        setError(QStringLiteral("The title has no contents topic"));
        return -1;
    }
    return qint32(t->contentsAddress());
}

MVHandle hMVBaggageOpen(MVHandle title, const QString& name) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    TitleObj* t = l.titles.get(title);
    if (!t) {
        setError(QStringLiteral("Not an open title handle: %1").arg(title));
        return 0;
    }
    const auto data = t->file->baggage(name.toStdString());
    if (!data) {
        setError(QStringLiteral("The title has no baggage file %1").arg(name));
        return 0;
    }
    return l.baggage.add(std::make_shared<BaggageObj>(BaggageObj{t->file, *data}));
}

void MVBaggageClose(MVHandle baggage) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    l.baggage.remove(baggage);
}

QByteArray baMVBaggageRead(MVHandle baggage) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const BaggageObj* b = l.baggage.get(baggage);
    return b ? QByteArray(b->data.data(), qsizetype(b->data.size())) : QByteArray();
}

bool bMVGetTopic(MVHandle title, qint32 viewAddress, MVTopic& topic) {
    Library& l = lib();
    std::lock_guard lock(l.mutex);
    const TitleFile* t = titleOf(l, title);
    TopicRecord r;
    if (!t) return false;
    if (viewAddress < 0 || !t->topic(uint32_t(viewAddress), r)) {
        setError(QStringLiteral("No topic at address %1").arg(viewAddress));
        return false;
    }
    topic.kind = QChar(uchar(r.kind));
    topic.contextString = qs(r.contextString);
    topic.title = qs(r.title);
    topic.identification = qs(r.identification);
    topic.page = QByteArray(r.page.data(), qsizetype(r.page.size()));
    return true;
}

} // namespace kv
