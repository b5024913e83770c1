// SDL's Emscripten audio calls these page functions from its own JavaScript;
// naming them here has the linker keep them.
mergeInto(LibraryManager.library, {
  kelp_sdl_audio_deps__deps: ['$autoResumeAudioContext', '$dynCall'],
  kelp_sdl_audio_deps: function() {},
});
