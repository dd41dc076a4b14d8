# Native (Linux) build: window-free units only.
