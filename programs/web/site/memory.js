// Bytes handed to a program that emscripten made (the game, the run checker):
// copied into its memory for the length of one call of an export that takes
// a pointer and a length.

// What `use(at, length)` returns, called with `bytes` (a Uint8Array) copied
// into the memory of `program` at `at`; they are freed once `use` has
// returned, or once the promise that it returned has settled.
export function inMemory(program, bytes, use) {
  const at = program._malloc(bytes.length + 1);
  program.HEAPU8.set(bytes, at);
  const free = () => program._free(at);
  try {
    const used = use(at, bytes.length);
    if (used instanceof Promise) return used.finally(free);
    free();
    return used;
  } catch (error) {
    free();
    throw error;
  }
}
