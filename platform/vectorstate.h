#pragma once

// Some libraries the program loads (through Qt) return with the upper halves of the AVX
// registers still in use. Every thread started after that inherits the state, and on many x86
// processors code that mixes plain SSE with AVX instructions then runs many times slower: libm's
// sine and cosine called from SSE code some twenty times, libopenmpt's building of its Amiga
// resampler tables some fifteen times. Clears that state (VZEROUPPER) for the calling thread on
// processors with AVX; does nothing elsewhere. Cheap; any thread.
void ClearUpperVectorState();
