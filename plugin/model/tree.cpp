// Allocating, releasing and walking the recognition tree.
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

#include <cstddef>
#include <mutex>
#include <new>
#include <set>
#include <type_traits>
#include <utility>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif
#else
constexpr bool kPooled = true;
#endif

// Holes and segments come and go by the tens of thousands in one recognition of a large part. They are
// carved from slabs and kept on a free list when released, so that a run does not wade through the
// heap's bins, and the records of neighbouring holes lie together for the stages that walk them. The slabs
// stay for the next recognition and go when the plug-in unloads. The pool holds nothing that needs a
// destructor, so a tree released late in the unload still finds it. Under AddressSanitizer every record
// is the heap's own, so that a use after release is still caught.
template <class T>
class CRecordPool {
public:
    constexpr CRecordPool() = default;

    // A fresh record (no arguments) or a copy (`from`); null where there is no room.
    template <class... From>
    T* take(const From&... from) {
        if constexpr (!kPooled) {
            T* record = new (std::nothrow) T(from...);
            if (record) {
                std::lock_guard guard(lock_);
                ++held_;
            }
            return record;
        } else {
            void* room = nextRoom();
            return room ? new (room) T(from...) : nullptr;
        }
    }
    void give(T* record) {
        if constexpr (!kPooled) {
            if (!record) return;
            delete record;
            std::lock_guard guard(lock_);
            --held_;
        } else if (record) {
            record->~T();
            std::lock_guard guard(lock_);
            *reinterpret_cast<void**>(record) = free_;
            free_ = record;
            --held_;
        }
    }
    std::size_t held() {
        std::lock_guard guard(lock_);
        return held_;
    }
    // The slabs back to the heap, unless a record is still held.
    void release() {
        std::lock_guard guard(lock_);
        if (held_ != 0) return;
        while (slabs_) ::operator delete(std::exchange(slabs_, *reinterpret_cast<void**>(slabs_)));
        next_ = nullptr;
        left_ = 0;
        free_ = nullptr;
    }

private:
    static constexpr std::size_t kPerSlab = 64;
    // A slab starts with the link to the one made before it, padded to keep the records aligned.
    static constexpr std::size_t kLink = alignof(std::max_align_t);
    static_assert(sizeof(T) >= sizeof(void*) && alignof(T) <= alignof(std::max_align_t));

    void* nextRoom() {
        std::lock_guard guard(lock_);
        ++held_;
        if (free_) return std::exchange(free_, *static_cast<void**>(free_));
        if (left_ == 0) {
            void* slab = ::operator new(kLink + kPerSlab * sizeof(T), std::nothrow);
            if (!slab) {
                --held_;
                return nullptr;
            }
            *static_cast<void**>(slab) = std::exchange(slabs_, slab);
            next_ = static_cast<std::byte*>(slab) + kLink;
            left_ = kPerSlab;
        }
        --left_;
        return std::exchange(next_, next_ + sizeof(T));
    }

    std::mutex lock_;
    void* slabs_ = nullptr;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t held_ = 0;
    void* free_ = nullptr;
};

template <class T>
constinit CRecordPool<T> g_pool;
static_assert(std::is_trivially_destructible_v<CRecordPool<CYL_LIST>>);

template <class T>
CRecordPool<T>& poolOf() {
    return g_pool<T>;
}

// The record, or the allocation message where there was no room for it.
template <class T>
T* toldIfMissing(T* record) {
    if (!record) plat::messageBox(nullptr, errorMessage(35), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
    return record;
}

void freeCylChain(CYL_LIST* cyl) {
    while (cyl) {
        CYL_LIST* next = cyl->next;
        poolOf<CYL_LIST>().give(cyl);
        cyl = next;
    }
}

// What the holes of a tree own beside their segments. Chain copies of a hole may point at the head's
// operations or descriptions, so each is released once however many holes name it.
struct OWNED_BY_HOLES {
    std::set<OPE_LIST*> opeChains;
    std::set<CIL_DESC*> descArrays;

    void take(POINT_LIST* point) {
        if (point->opeList) opeChains.insert(point->opeList);
        if (point->descs) descArrays.insert(point->descs);
    }
    void release() {
        for (OPE_LIST* first : opeChains) freeOpeChain(first);
        for (CIL_DESC* descs : descArrays) freeCilDescs(descs);
    }
};

}  // namespace

VIEW_LIST* allocViewList() { return toldIfMissing(new (std::nothrow) VIEW_LIST()); }
POINT_LIST* allocPointList() { return toldIfMissing(poolOf<POINT_LIST>().take()); }
CYL_LIST* allocCylList() { return toldIfMissing(poolOf<CYL_LIST>().take()); }
CYL_LIST* allocCylListCopy(const CYL_LIST& from) { return toldIfMissing(poolOf<CYL_LIST>().take(from)); }

void freeViewList(VIEW_LIST* view) { delete view; }
void freeCylList(CYL_LIST* cyl) { poolOf<CYL_LIST>().give(cyl); }

std::size_t heldTreeRecords() { return poolOf<POINT_LIST>().held() + poolOf<CYL_LIST>().held(); }

void releaseTreeRecordRooms() {
    poolOf<POINT_LIST>().release();
    poolOf<CYL_LIST>().release();
}

void freePointList(POINT_LIST* point) {
    if (!point) return;
    OWNED_BY_HOLES owned;
    owned.take(point);
    owned.release();
    freeCylChain(point->firstCyl);
    poolOf<POINT_LIST>().give(point);
}

int freeViewsTree(VIEW_LIST* tree) {
    OWNED_BY_HOLES owned;
    for (VIEW_LIST* view = tree; view;) {
        for (POINT_LIST* point = view->firstPoint; point;) {
            POINT_LIST* next = point->next;
            owned.take(point);
            freeCylChain(point->firstCyl);
            poolOf<POINT_LIST>().give(point);
            point = next;
        }
        VIEW_LIST* next = view->next;
        delete view;
        view = next;
    }
    owned.release();
    return 0;
}

int countViews(const VIEW_LIST* tree) {
    int n = 0;
    for (; tree; tree = tree->next) ++n;
    return n;
}

int countPoints(const VIEW_LIST* view) {
    int n = 0;
    for (const POINT_LIST* p = view ? view->firstPoint : nullptr; p; p = p->next) ++n;
    return n;
}

int countCyls(const POINT_LIST* point) {
    int n = 0;
    for (const CYL_LIST* c = point ? point->firstCyl : nullptr; c; c = c->next) ++n;
    return n;
}

CYL_LIST* lastCyl(const POINT_LIST* point) {
    CYL_LIST* cyl = point ? point->firstCyl : nullptr;
    while (cyl && cyl->next) cyl = cyl->next;
    return cyl;
}

CYL_LIST* cylAt(const POINT_LIST* point, int place) {
    CYL_LIST* cyl = point ? point->firstCyl : nullptr;
    while (cyl && place-- > 0) cyl = cyl->next;
    return cyl;
}

void keepSelection(VIEW_LIST* tree) {
    for (VIEW_LIST* v = tree; v; v = v->next) {
        v->selectedSaved = v->selected;
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            p->selectedSaved = p->selected;
            p->selected2Saved = p->selected2;
        }
    }
}

void restoreSelection(VIEW_LIST* tree) {
    for (VIEW_LIST* v = tree; v; v = v->next) {
        v->selected = v->selectedSaved;
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            p->selected = p->selectedSaved;
            p->selected2 = p->selected2Saved;
        }
    }
}
