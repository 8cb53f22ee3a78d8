// Keeps the test-support library non-empty while it has no other sources.
namespace qortest { int supportAnchor = 0; }
