// After start-up a frame allocates nothing: every array is a fixed member
// and the GPU buffers are refilled by mapping. This program counts, on the
// main thread while frames run, every operator new and every malloc family
// call made from this program's own code. Calls from inside the driver and
// the window system are theirs: Mesa's software rasteriser and Xlib allocate
// on every frame.
//
// AddressSanitizer owns the allocator (the driver's JIT library binds to its
// operator new, so a replacement here would pair new and free across two
// allocators): under it the counters are not installed and the tests skip.
#include "EngineFixture.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
long newCalls = 0;
long mallocCalls = 0;

} // namespace

#if !defined(__SANITIZE_ADDRESS__)
extern "C" char __executable_start;
extern "C" char etext;

namespace {

bool CalledFromThisProgram(const void* returnAddress)
{
    const char* address = static_cast<const char*>(returnAddress);
    return address >= &__executable_start && address < &etext;
}

} // namespace

#define COUNT_MALLOC_CALL()                                                                                            \
    do {                                                                                                               \
        if (counting && CalledFromThisProgram(__builtin_return_address(0))) {                                          \
            ++mallocCalls;                                                                                             \
        }                                                                                                              \
    } while (false)

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);

void* malloc(size_t size)
{
    COUNT_MALLOC_CALL();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size)
{
    COUNT_MALLOC_CALL();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, size_t size)
{
    COUNT_MALLOC_CALL();
    return __libc_realloc(pointer, size);
}

void* memalign(size_t alignment, size_t size)
{
    COUNT_MALLOC_CALL();
    return __libc_memalign(alignment, size);
}
}

void* operator new(std::size_t size)
{
    if (counting) {
        ++newCalls;
    }
    if (void* pointer = __libc_malloc(size == 0 ? 1 : size)) { // counted once, as new
        return pointer;
    }
    throw std::bad_alloc();
}

void operator delete(void* pointer) noexcept
{
    std::free(pointer);
}

void operator delete(void* pointer, std::size_t) noexcept
{
    std::free(pointer);
}
#endif

namespace {

class EngineAllocations : public EngineTest {
protected:
    void SetUp() override
    {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "AddressSanitizer owns the allocator; counted in the plain build";
#endif
        EngineTest::SetUp();
    }
};

TEST_F(EngineAllocations, CountersSeeThisProgramsAllocations)
{
    // Through volatile pointers, so the compiler cannot elide the pairs.
    void* (*volatile allocate)(size_t) = &std::malloc;
    void* (*volatile newStorage)(std::size_t) = &::operator new;
    counting = true;
    void* block = allocate(16);
    void* object = newStorage(16);
    counting = false;
    std::free(block);
    ::operator delete(object);
    EXPECT_EQ(newCalls, 1);
    EXPECT_EQ(mallocCalls, 1);
    newCalls = 0;
    mallocCalls = 0;
}

TEST_F(EngineAllocations, FramesAfterStartUpAllocateNothing)
{
    // Warm up first: the driver builds some state on first use.
    for (int frame = 0; frame < 100; ++frame) {
        engine->Frame();
    }

    testing::internal::CaptureStdout(); // statistics lines are part of a frame
    counting = true;
    for (int frame = 0; frame < 1000; ++frame) {
        engine->Frame();
    }
    counting = false;
    const std::string output = testing::internal::GetCapturedStdout();

    EXPECT_EQ(newCalls, 0);
    EXPECT_EQ(mallocCalls, 0);
    EXPECT_NE(output.find("SampleSize: 500"), std::string::npos) << "the frames must include a printing one";
}

} // namespace
