# Two commands do everything on a fresh Debian 12 machine:
#   make run    set up if needed, build, start the program
#   make test   set up if needed, build every preset, run every test
.PHONY: all setup dist run test test-native test-fuzz test-win32 bench fuzz skins clean

JOBS ?= $(shell nproc)
SETUP_STAMP := .cache/setup.done
FUZZ_SECONDS ?= 600

all: dist

$(SETUP_STAMP): scripts/setup
	bash scripts/setup
	@touch $@

setup: $(SETUP_STAMP)

dist: setup
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j$(JOBS) --target vellorin_quobarra ui_driver

run: dist
	bash scripts/run

test: setup
	bash scripts/test-all

test-native: setup
	cmake --preset native >/dev/null && cmake --build --preset native -j$(JOBS) && ctest --preset native -j$(JOBS)

test-fuzz: setup
	cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j$(JOBS) && ctest --preset fuzz -j$(JOBS)

test-win32: setup
	cmake --preset win32 >/dev/null && cmake --build --preset win32 -j$(JOBS) && \
	  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win32 -j$(JOBS)

bench: setup
	cmake --preset bench >/dev/null && cmake --build --preset bench -j$(JOBS)
	bash scripts/bench-all

# make fuzz FUZZ_SECONDS=3600: every fuzz target for that long, one after another.
fuzz: setup
	cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j$(JOBS)
	cmake -DVQ_FUZZ_SMOKE_SECONDS=$(FUZZ_SECONDS) build/fuzz >/dev/null && \
	  ctest --test-dir build/fuzz -L fuzz --timeout $$(( $(FUZZ_SECONDS) + 120 )) -j$(JOBS); \
	  status=$$?; cmake -DVQ_FUZZ_SMOKE_SECONDS=20 build/fuzz >/dev/null; exit $$status

skins: dist
	bash scripts/render-skins

clean:
	rm -rf build dist
