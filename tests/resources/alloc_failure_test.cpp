// Running out of memory at every point of a load: the allocation that fails is injected, one
// after the other, into LoadIcon, LoadIconFromEXE, CloneTo and the loading core. A failed load
// leaves its object without images (never a count without blocks, never half of a group), and the
// core keeps only the groups it loaded whole.

#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "resources/mIconGroups.h"

namespace {

// Allocations left before the one that fails; -1 when none is to fail.
std::atomic<long> gFailAfter{-1};

// Arms the failure of the allocation `n` allocations from now (0: the next one) for its lifetime.
class cFailingAllocation {
public:
    explicit cFailingAllocation(long n) { gFailAfter.store(n); }
    ~cFailingAllocation() { gFailAfter.store(-1); }
    cFailingAllocation(const cFailingAllocation&) = delete;
    cFailingAllocation& operator=(const cFailingAllocation&) = delete;
    // True when the failure was not reached: the work needed fewer allocations.
    static bool Unused() { return gFailAfter.load() >= 0; }
};

void* Allocate(std::size_t size) {
    long left = gFailAfter.load(std::memory_order_relaxed);
    while (left >= 0) {
        if (gFailAfter.compare_exchange_weak(left, left - 1)) {
            if (left == 0) throw std::bad_alloc();
            break;
        }
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

} // namespace

// The test program's allocation functions: malloc and free, with the injected failure. Every
// form that pairs with free is replaced (the aligned ones keep the library's own pair).
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

constexpr long kMostAllocations = 100000;

// Calls `load` with the n-th allocation failing, for n = 0, 1, ... until it needs fewer; `prepare`
// runs before each attempt (without failures), `check` looks at the state each failure left.
// Answers how many failures were tried.
long EveryFailure(const std::function<void()>& prepare, const std::function<void()>& load,
                  const std::function<void(long n)>& check) {
    long n = 0;
    for (; n < kMostAllocations; ++n) {
        bool failed = false;
        bool unused = false;
        prepare();
        {
            cFailingAllocation failing(n);
            try {
                load();
            } catch (const std::bad_alloc&) {
                failed = true;
            } catch (const cError& e) {
                // A loader may report the lack of memory as error 7; nothing else is expected.
                EXPECT_EQ(e.Number(), cError::kOutOfMemory) << e.what();
                failed = true;
            }
            unused = cFailingAllocation::Unused();
        }
        if (unused) {
            EXPECT_FALSE(failed);
            break;
        }
        EXPECT_TRUE(failed) << "allocation " << n << " failed unnoticed";
        check(n);
    }
    EXPECT_LT(n, kMostAllocations);
    return n;
}

} // namespace

TEST(AllocationFailure, AFailedLoadLeavesTheObjectWithoutImages) {
    using mTestKit::Fixture;
    // The names are made before the failures start (short ones need no allocation).
    struct {
        const char* fixture;
        std::function<void(cFileIcon&, const std::string&)> load;
    } cases[] = {
        {"icons/six.ico", [](cFileIcon& i, const std::string& f) { i.LoadIcon(f); }},
        {"modules/good32.dll", [](cFileIcon& i, const std::string& f) { i.LoadIconFromEXE(f, 5, {}); }},
        {"modules/good64.dll", [](cFileIcon& i, const std::string& f) { i.LoadIconFromEXE(f, 0, "MAINICON"); }},
        {"modules/good.icl", [](cFileIcon& i, const std::string& f) { i.LoadIconFromEXE(f, 0, "AppIcon"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string path = Fixture(c.fixture);
        cFileIcon icon;
        const long tried = EveryFailure(
            // Each attempt starts from an object that holds another icon.
            [&] { ASSERT_TRUE(icon.LoadIcon(Fixture("icons/depth4.ico"))); }, [&] { c.load(icon, path); },
            [&](long n) {
                SCOPED_TRACE(n);
                EXPECT_EQ(icon.ImageCount(), 0);
                EXPECT_EQ(icon.Header().idCount, 0);
                EXPECT_THROW(icon.Block(1), cError);
            });
        EXPECT_GT(tried, 3);
        EXPECT_GT(icon.ImageCount(), 0);
    }
}

TEST(AllocationFailure, ACopyThatFailsLeavesTheTargetAsItWas) {
    cFileIcon source, target;
    ASSERT_TRUE(source.LoadIcon(mTestKit::Fixture("icons/six.ico")));
    ASSERT_TRUE(target.LoadIcon(mTestKit::Fixture("icons/depth4.ico")));
    const auto before = target.IcoBytes();
    EveryFailure([] {}, [&] { source.CloneTo(target); },
                 [&](long) {
                     EXPECT_EQ(target.Filename(), mTestKit::Fixture("icons/depth4.ico"));
                     EXPECT_EQ(target.IcoBytes(), before);
                 });
    EXPECT_EQ(target.IcoBytes(), source.IcoBytes());
}

TEST(AllocationFailure, TheCoreKeepsOnlyGroupsLoadedWhole) {
    for (const char* file : {"modules/sample.dll", "modules/good32.dll", "modules/good.icl"}) {
        SCOPED_TRACE(file);
        const std::string path = mTestKit::Fixture(file);
        std::vector<cFileIcon> reference;
        mIconGroups::Load(path, reference);
        ASSERT_GT(reference.size(), 2u);
        std::vector<cFileIcon> icons;
        std::size_t partial = 0;
        EveryFailure([] {}, [&] { mIconGroups::Load(path, icons); },
                     [&](long n) {
                         SCOPED_TRACE(n);
                         ASSERT_LE(icons.size(), reference.size());
                         if (icons.size() > 0) ++partial;
                         for (std::size_t i = 0; i < icons.size(); ++i) {
                             EXPECT_EQ(icons[i].ResourceID(), reference[i].ResourceID());
                             EXPECT_EQ(icons[i].IcoBytes(), reference[i].IcoBytes());
                         }
                     });
        EXPECT_GT(partial, 0u);
        ASSERT_EQ(icons.size(), reference.size());
    }
}
