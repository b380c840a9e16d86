#include "heap_peak.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define TREMALU_HEAP_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TREMALU_HEAP_HOOKS 1
#endif
#endif

#ifdef TREMALU_HEAP_HOOKS
extern "C" {
// The sanitizer allocator's interface (sanitizer/allocator_interface.h,
// which not every compiler ships).
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                              void (*free_hook)(const volatile void*));
size_t __sanitizer_get_allocated_size(const volatile void* p);
}
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testing_support {

#ifdef TREMALU_HEAP_HOOKS

namespace {

// Live bytes since counting began (frees of older blocks take it below 0),
// and the most seen. The hooks run on every thread of the process.
std::atomic<bool> Counting{false};
std::atomic<int64_t> Live{0};
std::atomic<int64_t> Peak{0};

void OnMalloc(const volatile void*, size_t size)
{
    if (!Counting.load(std::memory_order_relaxed))
        return;
    const int64_t now = Live.fetch_add(static_cast<int64_t>(size)) + static_cast<int64_t>(size);
    int64_t peak = Peak.load();
    while (now > peak && !Peak.compare_exchange_weak(peak, now)) {
    }
}

// Called before the block is freed, while its size can still be asked.
void OnFree(const volatile void* p)
{
    if (Counting.load(std::memory_order_relaxed))
        Live.fetch_sub(static_cast<int64_t>(__sanitizer_get_allocated_size(p)));
}

}  // namespace

bool StaysWithin(uint64_t bytes, const std::function<void()>& work)
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    if (!installed) {
        std::fprintf(stderr, "the sanitizer's allocator hooks could not be installed\n");
        std::abort();
    }
    Live.store(0);
    Peak.store(0);
    Counting.store(true);
    work();
    Counting.store(false);
    return static_cast<uint64_t>(Peak.load()) <= bytes;
}

#else

namespace {

// What the process has mapped now: the first field of /proc/self/statm, in
// pages.
uint64_t MappedBytes()
{
    unsigned long long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%llu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace

bool StaysWithin(uint64_t bytes, const std::function<void()>& work)
{
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{MappedBytes() + bytes, MappedBytes() + bytes};
        if (setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(2);
        try {
            work();
        } catch (const std::bad_alloc&) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

#endif

}  // namespace testing_support
