#include "media/mpv_library.h"

#include "media/library_preload.h"

#include <dlfcn.h>
#include <mutex>
#include <string>

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

// Every libmpv function the program uses.
#define SAZANAMI_MPV_FUNCTIONS(X)                                                                  \
    X(mpv_create)                                                                                  \
    X(mpv_initialize)                                                                              \
    X(mpv_terminate_destroy)                                                                       \
    X(mpv_set_option_string)                                                                       \
    X(mpv_set_property)                                                                            \
    X(mpv_set_property_string)                                                                     \
    X(mpv_get_property)                                                                            \
    X(mpv_command)                                                                                 \
    X(mpv_command_async)                                                                           \
    X(mpv_wait_event)                                                                              \
    X(mpv_wakeup)                                                                                  \
    X(mpv_set_wakeup_callback)                                                                     \
    X(mpv_render_context_create)                                                                   \
    X(mpv_render_context_free)                                                                     \
    X(mpv_render_context_render)                                                                   \
    X(mpv_render_context_set_update_callback)                                                      \
    X(mpv_render_context_update)

namespace
{

struct Functions {
#define SAZANAMI_MPV_POINTER(name) decltype(&::name) name = nullptr;
    SAZANAMI_MPV_FUNCTIONS(SAZANAMI_MPV_POINTER)
#undef SAZANAMI_MPV_POINTER
};

Functions functions;
bool loaded = false;
std::once_flag loadOnce;

// The library of the client API major version the program was built with.
std::string libraryName()
{
    return "libmpv.so." + std::to_string(MPV_CLIENT_API_VERSION >> 16);
}

bool resolveAll(void *library)
{
    bool complete = true;
#define SAZANAMI_MPV_RESOLVE(name)                                                                 \
    functions.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));                   \
    complete = complete && functions.name != nullptr;
    SAZANAMI_MPV_FUNCTIONS(SAZANAMI_MPV_RESOLVE)
#undef SAZANAMI_MPV_RESOLVE
    return complete;
}

void loadLibrary()
{
    const std::string name = libraryName();
    library_preload::loadDependencies(name);
    // Never unloaded: mpv's threads may outlive any owner we could give it.
    void *library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    loaded = library && resolveAll(library);
}

// The functions other than mpv_create take a handle or a render context,
// which only exist once the library is loaded.
const Functions &api()
{
    return functions;
}

} // namespace

bool mpv_library::load()
{
    std::call_once(loadOnce, loadLibrary);
    return loaded;
}

// The definitions the rest of the program links against.  Only the
// executable sees them: nothing exports them, so libmpv's own calls still go
// to libmpv.
extern "C" {

mpv_handle *mpv_create(void)
{
    return mpv_library::load() ? api().mpv_create() : nullptr;
}

int mpv_initialize(mpv_handle *ctx)
{
    return api().mpv_initialize(ctx);
}

void mpv_terminate_destroy(mpv_handle *ctx)
{
    api().mpv_terminate_destroy(ctx);
}

int mpv_set_option_string(mpv_handle *ctx, const char *name, const char *data)
{
    return api().mpv_set_option_string(ctx, name, data);
}

int mpv_set_property(mpv_handle *ctx, const char *name, mpv_format format, void *data)
{
    return api().mpv_set_property(ctx, name, format, data);
}

int mpv_set_property_string(mpv_handle *ctx, const char *name, const char *data)
{
    return api().mpv_set_property_string(ctx, name, data);
}

int mpv_get_property(mpv_handle *ctx, const char *name, mpv_format format, void *data)
{
    return api().mpv_get_property(ctx, name, format, data);
}

int mpv_command(mpv_handle *ctx, const char **args)
{
    return api().mpv_command(ctx, args);
}

int mpv_command_async(mpv_handle *ctx, uint64_t reply_userdata, const char **args)
{
    return api().mpv_command_async(ctx, reply_userdata, args);
}

mpv_event *mpv_wait_event(mpv_handle *ctx, double timeout)
{
    return api().mpv_wait_event(ctx, timeout);
}

void mpv_wakeup(mpv_handle *ctx)
{
    api().mpv_wakeup(ctx);
}

void mpv_set_wakeup_callback(mpv_handle *ctx, void (*cb)(void *d), void *d)
{
    api().mpv_set_wakeup_callback(ctx, cb, d);
}

int mpv_render_context_create(mpv_render_context **res, mpv_handle *mpv, mpv_render_param *params)
{
    return api().mpv_render_context_create(res, mpv, params);
}

void mpv_render_context_free(mpv_render_context *ctx)
{
    api().mpv_render_context_free(ctx);
}

int mpv_render_context_render(mpv_render_context *ctx, mpv_render_param *params)
{
    return api().mpv_render_context_render(ctx, params);
}

void mpv_render_context_set_update_callback(mpv_render_context *ctx, mpv_render_update_fn callback,
                                            void *callback_ctx)
{
    api().mpv_render_context_set_update_callback(ctx, callback, callback_ctx);
}

uint64_t mpv_render_context_update(mpv_render_context *ctx)
{
    return api().mpv_render_context_update(ctx);
}

} // extern "C"
