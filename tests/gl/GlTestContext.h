#pragma once
// The GL tests share one hidden 3.3 core window, made current before the first test runs.

struct GLFWwindow;

GLFWwindow* glTestWindow();
