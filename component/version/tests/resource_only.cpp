// The code of a test DLL that exists only to carry a version resource.
extern "C" __declspec(dllexport) int version_test_resource_marker() { return 1; }
