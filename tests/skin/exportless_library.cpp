// A loadable library without VQSkinAttach.
extern "C" int __stdcall SomethingElse() { return 1; }
