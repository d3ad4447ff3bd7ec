// The reference for bench_startup: the least a GLUT program can do to show a picture, a
// window of the calculator's display mode cleared to the menu's blue.
#include <GL/freeglut.h>

namespace {

void draw() {
    glClearColor(0, 0, 0xAA / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

} // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(640, 400);
    glutCreateWindow("reference");
    glutDisplayFunc(draw);
    glutMainLoop();
}
