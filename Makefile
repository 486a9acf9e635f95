# Thin wrapper: the README's commands. Every target installs what is missing.
.PHONY: test run bench fuzz crash dist dist-test build native win clean

test:
	scripts/test.sh

run:
	scripts/run.sh

bench:
	scripts/bench.sh

fuzz:
	scripts/fuzz.sh

# The companion killed at 100 instants of a save of 10,000 papers.
crash: win
	scripts/crash-test.sh build/win/tests/crash_test.exe 10000 100

dist:
	scripts/dist.sh

dist-test: dist
	scripts/xvfb.sh scripts/dist-test.sh

build: native win

native:
	scripts/deps.sh
	cmake --preset native >/dev/null
	cmake --build --preset native

win:
	scripts/deps.sh
	cmake --preset win >/dev/null
	cmake --build --preset win

clean:
	rm -rf build
