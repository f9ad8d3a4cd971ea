// Built only with the sanitizers, into every program that hosts QtWebEngine. Chromium inside it
// frees some objects through a base pointer of another size, which AddressSanitizer reports as
// a new-delete type mismatch in QtWebEngine's own code: that one check is off in these programs.
// Allocations are traced with the full unwinder, since QtWebEngine and the libraries it calls
// keep no frame pointers: the leak suppression for QtWebEngine then sees the QtWebEngine frame
// behind an allocation it made through another library. Every other check stays on, and
// ASAN_OPTIONS still overrides.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0:fast_unwind_on_malloc=0";
}
