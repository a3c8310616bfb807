// The plug-in's side of the host interface: the resolver kept at load time and one
// wrapper per host service. Each wrapper resolves its entry on first use and keeps the
// address; while a service is unresolved it returns 0, nil or false, or does nothing.
#ifndef VANTREL_PLUGINMAIN_H
#define VANTREL_PLUGINMAIN_H

#include "HostInterface.h"

#if defined(_WIN32)
#define VANTREL_EXPORT __declspec(dllexport)
#else
#define VANTREL_EXPORT __attribute__((visibility("default")))
#endif

extern HostResolver gResolver;

// The plug-in's registration routine, defined by the binding; REALPluginMain calls it.
void PluginEntry();

extern "C" VANTREL_EXPORT void REALPluginMain(HostResolver resolver);

// Instance data: the object's address plus the offset the host stored in the definition.
// The object must not be nil.
void* REALGetClassData(REALobject object, REALclassDefinition const* definition);
REALobject REALnewInstance(char const* className);
void REALRaiseException(REALobject exception);
void SetClassConsoleSafe(REALclassDefinition* definition);
void REALRegisterClass(REALclassDefinition* definition);
void REALRegisterMethod(HostMethodEntry const* entry);
REALstring REALBuildStringWithEncoding(char const* bytes, std::int32_t byteCount, std::uint32_t encoding);
bool REALGetStringData(REALstring s, std::uint32_t encoding, HostStringData* out);
void REALDisposeStringData(HostStringData* data);

#endif
