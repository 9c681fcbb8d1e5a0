#include "shell/tools/notifiergeometry.h"

int DetectTaskbarEdge(const NotifierRect& work, int screenWidth, int screenHeight)
{
  const int workWidth = work.right - work.left;
  const int workHeight = work.bottom - work.top;
  if (workWidth < screenWidth)
    return work.left == 0 ? kSlideLeft : kSlideRight;
  if (workHeight < screenHeight && work.top != 0)
    return kSlideDown;
  return kSlideUp;
}

NotifierSlide PlanNotifierSlide(const NotifierRect& work, int screenWidth, int screenHeight, int skinWidth,
                                int skinHeight, int step, int appearMs, int disappearMs)
{
  NotifierSlide s;
  if (step < 1)
    step = 1;
  s.direction = DetectTaskbarEdge(work, screenWidth, screenHeight);
  const bool sideways = s.direction == kSlideRight || s.direction == kSlideLeft;
  const int travel = sideways ? skinWidth : skinHeight;
  // A skin of one pixel (or none) still takes one step; the delays never divide by 0.
  s.steps = travel / step;
  if (s.steps < 1)
    s.steps = 1;
  s.appearDelay = appearMs / s.steps;
  s.disappearDelay = disappearMs / s.steps;
  switch (s.direction) {
    case kSlideDown:
      s.startX = s.endX = work.right - skinWidth;
      s.startY = work.top - skinHeight;
      s.endY = work.top;
      break;
    case kSlideLeft:
      s.startX = work.right;
      s.endX = work.right - skinWidth;
      s.startY = s.endY = work.bottom - skinHeight;
      break;
    case kSlideRight:
      s.startX = work.left - skinWidth;
      s.endX = work.left;
      s.startY = s.endY = work.bottom - skinHeight;
      break;
    default:
      s.startX = s.endX = work.right - skinWidth;
      s.startY = work.bottom;
      s.endY = work.bottom - skinHeight;
      break;
  }
  return s;
}

CNotifierAnimation::PopupAction CNotifierAnimation::Popup(const NotifierSlide& slide)
{
  switch (m_state) {
    case kHidden:
      m_slide = slide;
      m_x = slide.startX;
      m_y = slide.startY;
      m_state = kAppearing;
      return kStartAppearing;
    case kAppearing:
      return kTextOnly;
    case kShowing:
      return kRestartStay;
    case kDisappearing:
    default:
      m_x = m_slide.endX;
      m_y = m_slide.endY;
      m_state = kShowing;
      return kBackToShowing;
  }
}

bool CNotifierAnimation::StepTowards(int toX, int toY)
{
  auto step = [this](int& v, int to) {
    if (v < to)
      v = (to - v > m_step) ? v + m_step : to;
    else if (v > to)
      v = (v - to > m_step) ? v - m_step : to;
  };
  step(m_x, toX);
  step(m_y, toY);
  return m_x == toX && m_y == toY;
}

bool CNotifierAnimation::AppearStep()
{
  if (m_state != kAppearing)
    return m_state == kShowing;
  if (!StepTowards(m_slide.endX, m_slide.endY))
    return false;
  m_state = kShowing;
  return true;
}

void CNotifierAnimation::StayOver()
{
  if (m_state == kShowing)
    m_state = kDisappearing;
}

bool CNotifierAnimation::DisappearStep()
{
  if (m_state != kDisappearing)
    return m_state == kHidden;
  if (!StepTowards(m_slide.startX, m_slide.startY))
    return false;
  m_state = kHidden;
  return true;
}
