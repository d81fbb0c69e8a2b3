// A library for the SharedLibrary tests; built twice with different answers.
extern "C" __attribute__((visibility("default"))) int varnok_test_answer() { return TEST_LIBRARY_ANSWER; }
