// Input implementations: back ends that feed devices into the key states, analog values and
// input events (the gamepad poll over XInput is the only one), and the entry points through
// which the core drives them.
#pragma once

struct CoreState;

class InputImp {
 public:
  virtual ~InputImp() {}                                                                  // 0
  virtual bool IsSupported() = 0;                                                         // 1
  virtual const char* GetName() = 0;                                                      // 2
  virtual void Initialize(CoreState* context) = 0;                                        // 3
  virtual void Shutdown() = 0;                                                            // 4
  virtual void SetActive(bool active) = 0;                                                // 5
  virtual void Update() = 0;                                                              // 6
  virtual void PostUpdate() = 0;                                                          // 7
  virtual const char* CallExtensionFunction(const char* name, const char* argument) = 0;  // 8
};

enum { INPUT_IMPLEMENTATIONS_MAX = 8 };

// Start: registers the XInput implementation when the system has it, logs the configured
// implementation libraries (none is loaded) and initialises every registered implementation
// with the engine state.
void OVI_CreateInputImplementations();
// Once per frame before the program's update, and later in the frame.
void OVI_UpdateInputImplementations();
void OVI_PostUpdateInputImplementations();
// Focus change: every implementation follows the new state, and the key states of codes
// 0..254 are cleared.
void OVI_SetInputImplementationsActive(bool active);
// The first answer of an implementation to a named extension function, or null.
const char* OVI_InputCallExtension(const char* name, const char* argument);
// Shutdown: every implementation shuts down and the list is emptied.
void OVI_ShutdownInputImplementations();

// Appends an implementation (not owned) to the list; false when the list is full. An
// implementation already in the list stays there once.
bool OVI_RegisterInputImplementation(InputImp* implementation);
int OVI_InputImplementationCount();
InputImp* OVI_InputImplementation(int index);  // null outside the list
