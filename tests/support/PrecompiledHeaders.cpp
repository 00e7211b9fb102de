// The translation unit the test programs' shared precompiled header is built
// from; it holds no code of its own.
